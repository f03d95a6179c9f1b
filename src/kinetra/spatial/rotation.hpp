#pragma once

#include "kinetra/spatial/vector.hpp"

namespace kinetra {

// Rotation by `angle` radians about `axis` (any non-zero length); identity when angle == 0.
SpatialRotation rotation_from_axis_angle(const Vector3D& axis, double angle);

// R = Rz(yaw) Ry(pitch) Rx(roll): roll, pitch and yaw about the fixed x, y and z axes.
SpatialRotation rotation_from_euler_angles(double roll, double pitch, double yaw);

}  // namespace kinetra
