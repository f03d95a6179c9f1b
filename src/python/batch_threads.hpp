#pragma once

// The `threads` argument of the batch functions.
#include <cstddef>

#include "python/kit/error.hpp"

namespace kinetra::python {

// None: the CPUs this process may use; otherwise an int of at least 1. Raises and returns false
// on anything else.
bool load_threads(PyObject* obj, std::size_t& threads);

}  // namespace kinetra::python
