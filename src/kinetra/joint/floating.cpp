#include "kinetra/joint/floating.hpp"

namespace kinetra {

SE3 FloatingJoint::transform(const double* q) {
  return {read_quaternion(q + 3).toRotationMatrix(), Vector3D(q[0], q[1], q[2])};
}

SE3 FloatingJoint::transform_after(const SE3& rest, const double* q) { return rest * transform(q); }

}  // namespace kinetra
