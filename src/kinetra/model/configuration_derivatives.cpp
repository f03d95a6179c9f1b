#include "kinetra/model/configuration_derivatives.hpp"

#include <cassert>
#include <cmath>
#include <type_traits>

#include "kinetra/spatial/quaternion.hpp"
#include "kinetra/spatial/rotation.hpp"

namespace kinetra {

namespace {

template <int n>
using Block = Eigen::Matrix<double, n, n>;

// Jr(w): R exp(w + e d) = R exp(w) exp(e Jr(w) d) to first order
Eigen::Matrix3d right_jacobian(const Vector3D& w) {
  const double angle = w.norm(), square = angle * angle;
  // (1 - cos a) / a^2 and (a - sin a) / a^3, by their series near 0
  const bool small = angle < 1e-4;
  const double b = small ? 0.5 - square / 24.0 : (1.0 - std::cos(angle)) / square;
  const double c = small ? 1.0 / 6.0 - square / 120.0 : (angle - std::sin(angle)) / (square * angle);
  const Eigen::Matrix3d k = skew(w);
  return Eigen::Matrix3d::Identity() - b * k + c * k * k;
}

// the plane rotation by `angle` and its rate J = [[0, -1], [1, 0]]
Eigen::Matrix2d plane_rotation(double c, double s) { return (Eigen::Matrix2d() << c, -s, s, c).finished(); }
const Eigen::Matrix2d quarter_turn = (Eigen::Matrix2d() << 0, -1, 1, 0).finished();

// integrate(q, v) of one joint: the Jacobians in the tangent space at the result. Coordinates
// that add or turn about one axis give 1 and 1.
template <class Kind>
void integrate_blocks(const Kind&, const double* q, const double* v,
                      Block<static_cast<int>(Kind::nv)>& by_q,
                      Block<static_cast<int>(Kind::nv)>& by_v) {
  if constexpr (std::is_same_v<Kind, SphericalJoint>) {
    // q exp(w): by q Exp(w)^T, by w Jr(w)
    const Vector3D w = Vector3D::Map(v);
    by_q = quaternion_exp(w).toRotationMatrix().transpose();
    by_v = right_jacobian(w);
  } else if constexpr (std::is_same_v<Kind, FloatingJoint>) {
    // (p + R l, R exp(w)): the position seen from the turned frame
    (void)q;
    const Vector3D w = Vector3D::Map(v), l = Vector3D::Map(v + 3);
    const Eigen::Matrix3d back = quaternion_exp(w).toRotationMatrix().transpose();
    by_q.setZero();
    by_q.template topLeftCorner<3, 3>() = back;
    by_q.template bottomLeftCorner<3, 3>() = -back * skew(l);
    by_q.template bottomRightCorner<3, 3>() = back;
    by_v.setZero();
    by_v.template topLeftCorner<3, 3>() = right_jacobian(w);
    by_v.template bottomRightCorner<3, 3>() = back;
  } else if constexpr (std::is_same_v<Kind, PlanarJoint>) {
    // (p + R(theta) l, theta + t): the in-plane position seen from the turned frame
    const Eigen::Matrix2d back = plane_rotation(std::cos(v[0]), -std::sin(v[0]));
    by_q.setIdentity();
    by_q.template bottomLeftCorner<2, 1>() = back * quarter_turn * Eigen::Vector2d(v[1], v[2]);
    by_q.template bottomRightCorner<2, 2>() = back;
    by_v.setIdentity();
    by_v.template bottomRightCorner<2, 2>() = back;
  } else {
    (void)q, (void)v;
    by_q.setIdentity();
    by_v.setIdentity();
  }
}

// difference(q0, q1) of one joint: the Jacobians for q0 and q1 moved in their tangent spaces
template <class Kind>
void difference_blocks(const Kind&, const double* q0, const double* q1,
                       Block<static_cast<int>(Kind::nv)>& by_q0,
                       Block<static_cast<int>(Kind::nv)>& by_q1) {
  if constexpr (std::is_same_v<Kind, SphericalJoint> || std::is_same_v<Kind, FloatingJoint>) {
    // d = log(R0^T R1): by q1 Jr^-1(d), by q0 -Jr^-1(-d)
    constexpr std::size_t at = Kind::quaternion_at;
    const Quaternion r0 = read_quaternion(q0 + at);
    const Quaternion turn = r0.conjugate() * read_quaternion(q1 + at);
    const Vector3D d = quaternion_log(turn);
    by_q0.setZero();
    by_q1.setZero();
    by_q0.template topLeftCorner<3, 3>() = -inverse_right_jacobian(-d);
    by_q1.template topLeftCorner<3, 3>() = inverse_right_jacobian(d);
    if constexpr (std::is_same_v<Kind, FloatingJoint>) {
      // l = R0^T (p1 - p0): by q0 [l]x and -1, by q1 R0^T R1
      const Vector3D l = r0.conjugate() * (Vector3D::Map(q1) - Vector3D::Map(q0));
      by_q0.template bottomLeftCorner<3, 3>() = skew(l);
      by_q0.template bottomRightCorner<3, 3>() = -Eigen::Matrix3d::Identity();
      by_q1.template bottomRightCorner<3, 3>() = turn.toRotationMatrix();
    }
  } else if constexpr (std::is_same_v<Kind, PlanarJoint>) {
    // (theta1 - theta0, R(theta0)^T (p1 - p0))
    const auto [c0, s0] = ContinuousJoint::unit_direction(q0[2], q0[3]);
    const auto [c1, s1] = ContinuousJoint::unit_direction(q1[2], q1[3]);
    const Eigen::Vector2d l =
        plane_rotation(c0, -s0) * Eigen::Vector2d(q1[0] - q0[0], q1[1] - q0[1]);
    by_q0 = -Block<3>::Identity();
    by_q0.template bottomLeftCorner<2, 1>() = -quarter_turn * l;
    by_q1.setIdentity();
    by_q1.template bottomRightCorner<2, 2>() = plane_rotation(c0 * c1 + s0 * s1, c0 * s1 - s0 * c1);
  } else {
    (void)q0, (void)q1;
    by_q0 = -Block<static_cast<int>(Kind::nv)>::Identity();
    by_q1.setIdentity();
  }
}

// Writes each joint's two blocks, from blocks(kind, a_i, b_i, first, second), on the diagonals
template <class Blocks>
void block_diagonals(const Model& model, const double* a, const double* b, bool second_is_velocity,
                     DerivativeMatrixRef& first, DerivativeMatrixRef& second, Blocks&& blocks) {
  first.setZero();
  second.setZero();
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    model.joint_models()[i].visit([&](const auto& kind) {
      constexpr int nv = static_cast<int>(std::remove_cvref_t<decltype(kind)>::nv);
      if constexpr (nv > 0) {
        const auto at = static_cast<Eigen::Index>(model.idx_v(i));
        Block<nv> one, two;
        blocks(kind, a + model.idx_q(i), b + (second_is_velocity ? model.idx_v(i) : model.idx_q(i)), one, two);
        first.template block<nv, nv>(at, at) = one;
        second.template block<nv, nv>(at, at) = two;
      }
    });
  }
}

}  // namespace

std::expected<void, AlgorithmError> integrate_derivatives(const Model& model,
                                                          const ConfigurationRef& q,
                                                          const ConfigurationRef& v,
                                                          DerivativeMatrixRef by_q,
                                                          DerivativeMatrixRef by_v) {
  if (auto ok = check_configuration(model, q, {{"v", v}}); !ok) return ok;
  block_diagonals(model, q.data(), v.data(), true, by_q, by_v,
                  [](const auto& kind, const double* qi, const double* vi, auto& one, auto& two) {
                    integrate_blocks(kind, qi, vi, one, two);
                  });
  return {};
}

std::expected<void, AlgorithmError> difference_derivatives(const Model& model,
                                                           const ConfigurationRef& q0,
                                                           const ConfigurationRef& q1,
                                                           DerivativeMatrixRef by_q0,
                                                           DerivativeMatrixRef by_q1) {
  for (const auto& [name, values] : {NamedVector{"q0", q0}, NamedVector{"q1", q1}}) {
    if (auto ok = check_size(name, model.nq(), values.size()); !ok) {
      return std::unexpected(ok.error());
    }
    if (auto ok = check_configuration(model, values); !ok) return ok;
  }
  block_diagonals(model, q0.data(), q1.data(), false, by_q0, by_q1,
                  [](const auto& kind, const double* a, const double* b, auto& one, auto& two) {
                    difference_blocks(kind, a, b, one, two);
                  });
  return {};
}

void chain_integrate(const Model& model, const ConfigurationRef& q, const ConfigurationRef& v,
                     double scale, DerivativeMatrixConstRef rows, bool add_by_q,
                     DerivativeMatrixRef out) {
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    model.joint_models()[i].visit([&](const auto& kind) {
      constexpr int nv = static_cast<int>(std::remove_cvref_t<decltype(kind)>::nv);
      if constexpr (nv > 0) {
        const auto at = static_cast<Eigen::Index>(model.idx_v(i));
        Block<nv> by_q, by_v;
        integrate_blocks(kind, q.data() + model.idx_q(i), v.data() + at, by_q, by_v);
        auto into = out.template middleRows<nv>(at);
        into.noalias() = (scale * by_v) * rows.template middleRows<nv>(at);
        if (add_by_q) into.template middleCols<nv>(at) += by_q;
      }
    });
  }
}

}  // namespace kinetra
