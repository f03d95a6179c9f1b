#pragma once

#include "vortan/round_shape.hpp"

namespace vortan {

// A cylinder capped by two half balls, axis along the frame's z axis.
using Capsule = RoundShape<ShapeType::Capsule>;

}  // namespace vortan
