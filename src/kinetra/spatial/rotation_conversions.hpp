#pragma once

#include "kinetra/export.hpp"
#include "kinetra/spatial/quaternion.hpp"
#include "kinetra/spatial/vector.hpp"

namespace kinetra {

// (roll, pitch, yaw) with R = Rz(yaw) Ry(pitch) Rx(roll): roll and yaw in [-pi, pi], pitch in
// [-pi/2, pi/2]; at pitch +-pi/2, where only roll -+ yaw is defined, yaw is 0.
KINETRA_API Vector3D euler_angles_from_rotation(const SpatialRotation& r);

// The unit quaternion of the rotation R, with w >= 0.
KINETRA_API Quaternion quaternion_from_rotation(const SpatialRotation& r);

}  // namespace kinetra
