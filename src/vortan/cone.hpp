#pragma once

#include "vortan/round_shape.hpp"

namespace vortan {

// A cone with its axis along the frame's z axis.
using Cone = RoundShape<ShapeType::Cone>;

}  // namespace vortan
