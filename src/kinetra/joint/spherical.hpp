#pragma once

#include "kinetra/export.hpp"
#include "kinetra/joint/joint_limits.hpp"
#include "kinetra/joint/joint_type.hpp"
#include "kinetra/spatial/quaternion.hpp"
#include "kinetra/spatial/rotation.hpp"
#include "kinetra/spatial/se3.hpp"

namespace kinetra {

// Free rotation about the joint origin. q = unit quaternion (x, y, z, w); v = the child frame's
// angular velocity in its own axes, so S = (I; 0) is constant in the child frame.
struct KINETRA_API SphericalJoint {
  static constexpr JointType type = JointType::Spherical;
  static constexpr std::size_t nq = 4, nv = 3;
  static constexpr std::size_t quaternion_at = 0;

  static Configuration neutral() { return Configuration::Unit(4, 3); }
  static Eigen::Matrix<double, 6, 3> subspace() {
    return (Eigen::Matrix<double, 6, 3>() << Eigen::Matrix3d::Identity(), Eigen::Matrix3d::Zero())
        .finished();
  }
  static SE3 transform(const double* q);
  static SE3 transform_after(const SE3& rest, const double* q);
  // q * exp(w): the turn w in the child frame's axes
  static void integrate(const double* q, const double* v, double* out) {
    write_quaternion((read_quaternion(q) * quaternion_exp(Vector3D(v[0], v[1], v[2]))).normalized(),
                     out);
  }
  // the rate of delta for integrate(q, delta) turning at v
  static void chart_rate(const double* delta, const double* v, double* out) {
    Vector3D::Map(out) = inverse_right_jacobian(Vector3D::Map(delta)) * Vector3D::Map(v);
  }
  static void difference(const double* q0, const double* q1, double* out) {
    Vector3D::Map(out) = quaternion_log(read_quaternion(q0).conjugate() * read_quaternion(q1));
  }
  static void normalize(double* q) { write_quaternion(read_quaternion(q), q); }
  // uniform on the rotation group; the limits are not consulted
  static std::expected<Configuration, EmptyRangeError> random_configuration(const JointLimits&,
                                                                            Rng& rng) {
    Configuration q(4);
    write_quaternion(random_quaternion(rng), q.data());
    return q;
  }
};

}  // namespace kinetra
