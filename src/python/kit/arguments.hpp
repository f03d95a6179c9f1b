#pragma once

#include <string>
#include <vector>

#include "python/kit/ref.hpp"

namespace kinetra::python {

// The parameters of a callable, read from its text signature "(a, b, c=None)"; "$self" is
// skipped. Parameters with a default are optional and come last.
struct Signature {
  std::string name;  // as shown in call errors: "rnea" or "SE3.__new__"
  std::vector<std::string> parameters;
  std::size_t required = 0;

  Signature(std::string callable_name, const char* text_signature);
};

// Matches positional and keyword arguments to the parameters. On success out[i] holds the
// borrowed argument of parameter i, or nullptr when an optional one was not given. On failure
// raises TypeError in the interpreter's wording and returns false.
bool bind_arguments(const Signature& signature, PyObject* const* args, Py_ssize_t nargs,
                    PyObject* kwnames, PyObject** out);

}  // namespace kinetra::python
