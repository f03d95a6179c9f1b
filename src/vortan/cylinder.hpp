#pragma once

#include "vortan/round_shape.hpp"

namespace vortan {

// A cylinder with its axis along the frame's z axis.
using Cylinder = RoundShape<ShapeType::Cylinder>;

}  // namespace vortan
