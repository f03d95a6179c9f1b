#pragma once

// Frame ids, Jacobian kinds and frame errors as the frame functions take and raise them.
#include <optional>
#include <string>

#include "kinetra/model/algorithms.hpp"
#include "python/kit/error.hpp"

namespace kinetra::python {

// A frame id as an index below the model's frame count; raises IndexError and returns false
// otherwise.
bool load_frame_id(const Model& model, PyObject* obj, std::size_t& out);

// "geometric" (also when not given), "body" or "spatial"; raises ValueError otherwise.
bool load_kind(const std::optional<std::string>& text, JacobianKind& out);

// The error as a Python exception: frame ids are IndexError, the rest ValueError after
// `prefix` (except the unprefixed "the model has no mass").
PyError python_error(const AlgorithmError& error, const char* prefix);

}  // namespace kinetra::python
