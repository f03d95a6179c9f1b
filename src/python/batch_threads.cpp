#include "python/batch_threads.hpp"

#include <string>

#include "kinetra/batch/thread_pool.hpp"

namespace kinetra::python {

bool load_threads(PyObject* obj, std::size_t& threads) {
  if (!obj || obj == Py_None) {
    threads = available_cpus();
    return true;
  }
  Ref index(PyNumber_Index(obj));
  if (!index) return prefix_argument_error("threads"), false;
  const long long value = PyLong_AsLongLong(index.get());
  if (value == -1 && PyErr_Occurred()) return false;
  if (value < 1) {
    raise(PyExc_ValueError, "threads must be at least 1, got " + std::to_string(value));
    return false;
  }
  threads = static_cast<std::size_t>(value);
  return true;
}

}  // namespace kinetra::python
