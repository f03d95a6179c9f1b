#include "python/kit/arguments.hpp"

#include <cstring>

#include "python/kit/error.hpp"

namespace kinetra::python {

Signature::Signature(std::string callable_name, const char* text_signature)
    : name(std::move(callable_name)) {
  std::string text(text_signature);
  text = text.substr(1, text.size() - 2);  // strip the parentheses
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    std::string item = text.substr(start, end - start);
    item.erase(0, item.find_first_not_of(' '));
    start = end + 1;
    if (item.empty() || item[0] == '$') continue;
    const std::size_t equals = item.find('=');
    if (equals == std::string::npos) ++required;
    parameters.push_back(item.substr(0, equals));
  }
}

namespace {

std::string quoted_list(const std::vector<std::string>& names) {
  std::string out;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += names.size() > 2 ? ", " : " ";
    if (i > 0 && i + 1 == names.size()) out += "and ";
    out += "'" + names[i] + "'";
  }
  return out;
}

bool too_many_positional(const Signature& s, Py_ssize_t nargs) {
  const std::size_t n = s.parameters.size();
  std::string takes = s.required == n
                          ? std::to_string(n)
                          : "from " + std::to_string(s.required) + " to " + std::to_string(n);
  raise(PyExc_TypeError, s.name + "() takes " + takes + " positional argument" +
                             (n == 1 && s.required == n ? "" : "s") + " but " +
                             std::to_string(nargs) + (nargs == 1 ? " was" : " were") + " given");
  return false;
}

}  // namespace

bool bind_arguments(const Signature& signature, PyObject* const* args, Py_ssize_t nargs,
                    PyObject* kwnames, PyObject** out) {
  const auto& params = signature.parameters;
  const Py_ssize_t count = static_cast<Py_ssize_t>(params.size());
  if (nargs > count) return too_many_positional(signature, nargs);
  for (Py_ssize_t i = 0; i < count; ++i) out[i] = i < nargs ? args[i] : nullptr;

  const Py_ssize_t nkw = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
  for (Py_ssize_t k = 0; k < nkw; ++k) {
    PyObject* key = PyTuple_GET_ITEM(kwnames, k);
    const char* name = PyUnicode_AsUTF8(key);
    if (!name) return false;
    Py_ssize_t index = 0;
    while (index < count && std::strcmp(params[index].c_str(), name) != 0) ++index;
    if (index == count) {
      raise(PyExc_TypeError,
            signature.name + "() got an unexpected keyword argument '" + name + "'");
      return false;
    }
    if (out[index]) {
      raise(PyExc_TypeError, signature.name + "() got multiple values for argument '" + name + "'");
      return false;
    }
    out[index] = args[nargs + k];
  }

  std::vector<std::string> missing;
  for (std::size_t i = 0; i < signature.required; ++i) {
    if (!out[i]) missing.push_back(params[i]);
  }
  if (!missing.empty()) {
    raise(PyExc_TypeError, signature.name + "() missing " + std::to_string(missing.size()) +
                               " required positional argument" + (missing.size() == 1 ? "" : "s") +
                               ": " + quoted_list(missing));
    return false;
  }
  return true;
}

}  // namespace kinetra::python
