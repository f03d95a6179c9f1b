#pragma once

// The `seed` argument of the functions that draw random values.
#include <cstdint>
#include <optional>

#include "python/kit/error.hpp"

namespace kinetra::python {

// None (nullopt: draw from the thread's generator) or an int in [0, 2**64), not a bool.
Result<std::optional<std::uint64_t>> seed_value(PyObject* seed);

}  // namespace kinetra::python
