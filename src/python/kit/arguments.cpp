#include "python/kit/arguments.hpp"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "python/kit/error.hpp"

namespace kinetra::python {

namespace {

std::string quoted_list(const std::vector<const char*>& names) {
  std::string out;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += names.size() > 2 ? ", " : " ";
    if (i > 0 && i + 1 == names.size()) out += "and ";
    out += std::string("'") + names[i] + "'";
  }
  return out;
}

bool too_many_positional(const Parameters& s, Py_ssize_t nargs) {
  const std::size_t n = std::min(s.size, s.positional);
  std::string takes = s.required == n
                          ? std::to_string(n)
                          : "from " + std::to_string(s.required) + " to " + std::to_string(n);
  raise(PyExc_TypeError, std::string(s.callable) + "() takes " + takes + " positional argument" +
                             (n == 1 && s.required == n ? "" : "s") + " but " +
                             std::to_string(nargs) + (nargs == 1 ? " was" : " were") + " given");
  return false;
}

}  // namespace

bool bind_arguments(const Parameters& signature, PyObject* const* args, Py_ssize_t nargs,
                    PyObject* kwnames, PyObject** out) {
  const char* const* params = signature.names;
  const Py_ssize_t count = static_cast<Py_ssize_t>(signature.size);
  if (nargs > count || static_cast<std::size_t>(nargs) > signature.positional) {
    return too_many_positional(signature, nargs);
  }
  for (Py_ssize_t i = 0; i < count; ++i) out[i] = i < nargs ? args[i] : nullptr;

  const Py_ssize_t nkw = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
  for (Py_ssize_t k = 0; k < nkw; ++k) {
    PyObject* key = PyTuple_GET_ITEM(kwnames, k);
    const char* name = PyUnicode_AsUTF8(key);
    if (!name) return false;
    Py_ssize_t index = 0;
    while (index < count && std::strcmp(params[index], name) != 0) ++index;
    if (index == count) {
      raise(PyExc_TypeError, std::string(signature.callable) +
                                 "() got an unexpected keyword argument '" + name + "'");
      return false;
    }
    if (out[index]) {
      raise(PyExc_TypeError,
            std::string(signature.callable) + "() got multiple values for argument '" + name + "'");
      return false;
    }
    out[index] = args[nargs + k];
  }

  std::vector<const char*> missing;
  for (std::size_t i = 0; i < signature.required; ++i) {
    if (!out[i]) missing.push_back(params[i]);
  }
  if (!missing.empty()) {
    raise(PyExc_TypeError, std::string(signature.callable) + "() missing " +
                               std::to_string(missing.size()) + " required positional argument" +
                               (missing.size() == 1 ? "" : "s") + ": " + quoted_list(missing));
    return false;
  }
  return true;
}

}  // namespace kinetra::python
