#pragma once

// Exact signed distances of the pairs of spheres, capsules and cuboids that have a closed form.
#include <optional>

#include "vortan/collision/distance.hpp"

namespace vortan {

// The closed-form answer for this pair of kinds, or nothing when there is none (cuboids that
// do not overlap: the general solver's distance is exact for them).
std::optional<DistanceResult> closed_form_distance(const CollisionGeometry& shape1,
                                                   const Placement& placement1,
                                                   const CollisionGeometry& shape2,
                                                   const Placement& placement2);

}  // namespace vortan
