#pragma once

#include <cstddef>

#include "python/kit/ref.hpp"

namespace kinetra::python {

// The parameters a callable binds its arguments to; see TextSignature.
struct Parameters {
  const char* callable;  // as shown in call errors: "rnea" or "SE3.__new__"
  const char* const* names;
  std::size_t size;
  std::size_t required;  // the first `required` have no default
  std::size_t positional = static_cast<std::size_t>(-1);  // at most this many by position
};

// Matches positional and keyword arguments to the parameters. On success out[i] holds the
// borrowed argument of parameter i, or nullptr when an optional one was not given. On failure
// raises TypeError in the interpreter's wording and returns false.
bool bind_arguments(const Parameters& parameters, PyObject* const* args, Py_ssize_t nargs,
                    PyObject* kwnames, PyObject** out);

}  // namespace kinetra::python
