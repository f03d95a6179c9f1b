#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <utility>

#include "kinetra/inertia/inertia.hpp"
#include "kinetra/joint/continuous.hpp"
#include "kinetra/spatial/cos_and_sin.hpp"
#include "kinetra/spatial/quaternion.hpp"
#include "kinetra/spatial/rotation.hpp"
#include "kinetra/spatial/se3.hpp"

// The spatial algebra of the kernels over any scalar type S (double, float, lanes, dual numbers):
// state-dependent values are S, the model's constants stay double and are cast where they meet.
namespace kinetra::kernel {

template <class S>
using Vec3 = Eigen::Matrix<S, 3, 1>;
template <class S>
using Mat3 = Eigen::Matrix<S, 3, 3>;
template <class S>
using Vec6 = Eigen::Matrix<S, 6, 1>;
template <class S>
using Mat6 = Eigen::Matrix<S, 6, 6>;

// A six-vector as its angular (or moment) and linear halves.
template <class S>
struct Halves {
  Vec3<S> angular = Vec3<S>::Zero();
  Vec3<S> linear = Vec3<S>::Zero();

  Halves& operator+=(const Halves& other) {
    angular += other.angular;
    linear += other.linear;
    return *this;
  }
  Halves operator*(const S& k) const { return {k * angular, k * linear}; }
  Vec6<S> joined() const { return (Vec6<S>() << angular, linear).finished(); }
  static Halves of(const Vec6<S>& m) { return {m.template head<3>(), m.template tail<3>()}; }
  // written half by half, as `of` reads it back: no load spans two of the stores
  void store(Vec6<S>& out) const {
    out.template head<3>() = angular;
    out.template tail<3>() = linear;
  }
};

// A rigid placement mapping a child point p to R p + t in the parent.
template <class S>
struct Placement {
  Mat3<S> rotation = Mat3<S>::Identity();
  Vec3<S> translation = Vec3<S>::Zero();

  Placement operator*(const Placement& other) const {
    return {rotation * other.rotation, rotation * other.translation + translation};
  }
  // a parent motion in the child: (R^T w; R^T (v - t x w))
  Halves<S> act_motion_inverse(const Halves<S>& m) const {
    return {rotation.transpose() * m.angular,
            rotation.transpose() * (m.linear - translation.cross(m.angular))};
  }
  // a child force in the parent: (R n + t x R f; R f)
  Halves<S> act_force(const Halves<S>& f) const {
    const Vec3<S> lin = rotation * f.linear;
    return {rotation * f.angular + translation.cross(lin), lin};
  }
  // a child motion in the parent: (R w; R v + t x R w)
  Halves<S> act_motion(const Halves<S>& m) const {
    const Vec3<S> w = rotation * m.angular;
    return {w, rotation * m.linear + translation.cross(w)};
  }
  SE3 se3() const
    requires std::is_same_v<S, double>
  {
    return {rotation, translation};
  }
};

template <class S>
Placement<S> placement_of(const SE3& x) {
  return {x.rotation.template cast<S>(), x.translation.template cast<S>()};
}

// m x m' = (w x w'; w x v' + v x w')
template <class S>
Vec6<S> motion_cross_motion(const Vec6<S>& m, const Vec6<S>& other) {
  const Vec3<S> w = m.template head<3>(), v = m.template tail<3>();
  const Vec3<S> w2 = other.template head<3>(), v2 = other.template tail<3>();
  return (Vec6<S>() << w.cross(w2), w.cross(v2) + v.cross(w2)).finished();
}

template <class S>
Halves<S> motion_cross_motion(const Halves<S>& m, const Halves<S>& other) {
  return {m.angular.cross(other.angular),
          m.angular.cross(other.linear) + m.linear.cross(other.angular)};
}

// m x* f = (w x n + v x f; w x f)
template <class S>
Halves<S> motion_cross_force(const Halves<S>& m, const Halves<S>& f) {
  return {m.angular.cross(f.angular) + m.linear.cross(f.linear), m.angular.cross(f.linear)};
}
template <class S>
Vec6<S> motion_cross_force(const Vec6<S>& m, const Vec6<S>& f) {
  const Vec3<S> w = m.template head<3>(), v = m.template tail<3>();
  const Vec3<S> n = f.template head<3>(), lin = f.template tail<3>();
  return (Vec6<S>() << w.cross(n) + v.cross(lin), w.cross(lin)).finished();
}

// Scalar hooks: the double forms are the library's own (inline cosine and sine, the quaternion
// read without overflow); other scalars take the plain formulas.
inline std::pair<double, double> cos_sin(double angle) { return cos_and_sin(angle); }
template <class S>
std::pair<S, S> cos_sin(const S& angle) {
  using std::cos, std::sin;
  return {cos(angle), sin(angle)};
}

inline std::pair<double, double> unit_direction(double x, double y) {
  return ContinuousJoint::unit_direction(x, y);
}
template <class S>
std::pair<S, S> unit_direction(const S& x, const S& y) {
  using std::sqrt;
  const S norm = sqrt(x * x + y * y);
  return {x / norm, y / norm};
}

inline SpatialRotation quaternion_rotation(const double* q) {
  return read_quaternion(q).toRotationMatrix();
}
template <class S>
Mat3<S> quaternion_rotation(const S* q) {
  return Eigen::Quaternion<S>(q[3], q[0], q[1], q[2]).normalized().toRotationMatrix();
}

// Rotation by the angle with cosine c and sine s about the unit axis u.
inline SpatialRotation rotation_about(const Vector3D& u, double c, double s) {
  return rotation_about_unit_axis(u, c, s);
}
template <class S>
Mat3<S> rotation_about(const Vector3D& u, const S& c, const S& s) {
  const S one_minus = S(1) - c;
  Mat3<S> r;
  r << c + one_minus * u.x() * u.x(), one_minus * u.x() * u.y() - s * u.z(),
      one_minus * u.x() * u.z() + s * u.y(),  //
      one_minus * u.x() * u.y() + s * u.z(), c + one_minus * u.y() * u.y(),
      one_minus * u.y() * u.z() - s * u.x(),  //
      one_minus * u.x() * u.z() - s * u.y(), one_minus * u.y() * u.z() + s * u.x(),
      c + one_minus * u.z() * u.z();
  return r;
}

}  // namespace kinetra::kernel

namespace kinetra::kernel {

// S v for a symmetric S stored as m11, m22, m33, m12, m13, m23 (Symmetric3's order), entry by
// entry from the stored values.
template <class T, class S>
Vec3<S> symmetric_times(const std::array<T, 6>& m, const Vec3<S>& v) {
  return {m[0] * v.x() + m[3] * v.y() + m[4] * v.z(), m[3] * v.x() + m[1] * v.y() + m[5] * v.z(),
          m[4] * v.x() + m[5] * v.y() + m[2] * v.z()};
}

// A rigid-body inertia about the frame origin: mass m, first moment h = m c and rotational inertia
// I_o = I_c - m [c]x [c]x (stored as Symmetric3 is). A subtree's bodies in one frame have the
// plain sum of theirs.
template <class S>
struct OriginParameters {
  S mass = S(0);
  Vec3<S> first_moment = Vec3<S>::Zero();
  std::array<S, 6> rotational{};

  OriginParameters& operator+=(const OriginParameters& other) {
    mass += other.mass;
    first_moment += other.first_moment;
    for (std::size_t k = 0; k < 6; ++k) rotational[k] += other.rotational[k];
    return *this;
  }
  // momentum of the motion (w; v): (I_o w + h x v; m v - h x w)
  Halves<S> operator*(const Halves<S>& m) const {
    return {symmetric_times(rotational, m.angular) + first_moment.cross(m.linear),
            mass * m.linear - first_moment.cross(m.angular)};
  }
  Vec6<S> operator*(const Vec6<S>& motion) const {
    const Vec3<S> w = motion.template head<3>(), v = motion.template tail<3>();
    return (Vec6<S>() << symmetric_times(rotational, w) + first_moment.cross(v),
            mass * v - first_moment.cross(w))
        .finished();
  }
  // [[I_o, [h]x], [-[h]x, m 1]]
  Mat6<S> matrix() const {
    const auto& r = rotational;
    const S hx = first_moment.x(), hy = first_moment.y(), hz = first_moment.z(), zero(0);
    Mat6<S> x;
    x << r[0], r[3], r[4], zero, -hz, hy,  //
        r[3], r[1], r[5], hz, zero, -hx,   //
        r[4], r[5], r[2], -hy, hx, zero,   //
        zero, hz, -hy, mass, zero, zero,   //
        -hz, zero, hx, zero, mass, zero,   //
        hy, -hx, zero, zero, zero, mass;
    return x;
  }
};

// A body's inertia (given in its joint's frame) in the frame `placement` maps that frame into.
inline OriginParameters<double> placed_inertia(const Inertia& body, const Placement<double>& at) {
  // from the placement's own entries: no SE3 copy stored and read back at other offsets
  const Vector3D com = at.rotation * body.com + at.translation;
  return {body.mass, body.mass * com,
          (body.inertia.rotate(at.rotation) - Symmetric3::skew_square(com) * body.mass).data};
}
template <class S>
OriginParameters<S> placed_inertia(const Inertia& body, const Placement<S>& at) {
  const Vec3<S> c = at.rotation * body.com.template cast<S>() + at.translation;
  const Mat3<S> turned =
      at.rotation * body.inertia.to_matrix().template cast<S>() * at.rotation.transpose();
  const S m(body.mass);
  // I_o = R I R^T - m [c]x [c]x, [c]x [c]x = c c^T - (c.c) 1
  const S cc = c.dot(c);
  return {m,
          m * c,
          {turned(0, 0) + m * (cc - c.x() * c.x()), turned(1, 1) + m * (cc - c.y() * c.y()),
           turned(2, 2) + m * (cc - c.z() * c.z()), turned(0, 1) - m * c.x() * c.y(),
           turned(0, 2) - m * c.x() * c.z(), turned(1, 2) - m * c.y() * c.z()}};
}

}  // namespace kinetra::kernel
