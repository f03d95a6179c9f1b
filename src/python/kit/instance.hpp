#pragma once

#include <atomic>
#include <cstdint>
#include <new>
#include <utility>

#include "python/kit/error.hpp"

namespace kinetra::python {

// The Python object of a class holding one value of type T, with its borrow state:
// 0 free, n > 0 shared by n readers, -1 held by one writer. The state is atomic: calls that run
// without the GIL release their borrows while other threads take theirs.
template <class T>
struct Instance {
  PyObject ob_base;
  std::atomic<std::int32_t> borrow;
  T value;
};

// Specialised once per exposed class (by PYTHON_CLASS below): the type object, made on first use.
template <class T>
struct PyClass;

template <class T>
concept Exposed = requires {
  PyClass<T>::type();
};

template <class T>
Instance<T>* instance_of(PyObject* obj) {
  return reinterpret_cast<Instance<T>*>(obj);
}

// A new Python object of `type` holding `value`.
template <class T>
PyObject* new_instance_of(PyTypeObject* type, T value) {
  PyObject* obj = type->tp_alloc(type, 0);
  if (!obj) return nullptr;
  auto* inst = instance_of<T>(obj);
  new (&inst->borrow) std::atomic<std::int32_t>(0);
  new (&inst->value) T(std::move(value));
  return obj;
}

// A new Python object holding `value`.
template <Exposed T>
PyObject* new_instance(T value) {
  PyTypeObject* type = PyClass<T>::type();
  if (!type) return nullptr;
  return new_instance_of<T>(type, std::move(value));
}

template <class T>
void destroy_instance(PyObject* obj) {
  PyTypeObject* type = Py_TYPE(obj);
  instance_of<T>(obj)->value.~T();
  type->tp_free(obj);
  Py_DECREF(type);
}

// Shared access for the length of a call.
template <class T>
class SharedBorrow {
 public:
  SharedBorrow() = default;
  SharedBorrow(const SharedBorrow&) = delete;
  SharedBorrow& operator=(const SharedBorrow&) = delete;
  ~SharedBorrow() {
    if (inst_) inst_->borrow.fetch_sub(1, std::memory_order_release);
  }
  bool acquire(PyObject* obj) {
    auto* inst = instance_of<T>(obj);
    std::int32_t readers = inst->borrow.load(std::memory_order_relaxed);
    do {
      if (readers < 0) return raise(PyExc_RuntimeError, "Already mutably borrowed"), false;
    } while (!inst->borrow.compare_exchange_weak(readers, readers + 1, std::memory_order_acquire,
                                                 std::memory_order_relaxed));
    inst_ = inst;
    return true;
  }
  const T& get() const { return inst_->value; }

 private:
  Instance<T>* inst_ = nullptr;
};

// Exclusive access for the length of a call.
template <class T>
class ExclusiveBorrow {
 public:
  ExclusiveBorrow() = default;
  ExclusiveBorrow(const ExclusiveBorrow&) = delete;
  ExclusiveBorrow& operator=(const ExclusiveBorrow&) = delete;
  ~ExclusiveBorrow() {
    if (inst_) inst_->borrow.store(0, std::memory_order_release);
  }
  bool acquire(PyObject* obj) {
    auto* inst = instance_of<T>(obj);
    std::int32_t free = 0;
    if (!inst->borrow.compare_exchange_strong(free, -1, std::memory_order_acquire,
                                              std::memory_order_relaxed)) {
      return raise(PyExc_RuntimeError, "Already borrowed"), false;
    }
    inst_ = inst;
    return true;
  }
  T& get() const { return inst_->value; }

 private:
  Instance<T>* inst_ = nullptr;
};

}  // namespace kinetra::python
