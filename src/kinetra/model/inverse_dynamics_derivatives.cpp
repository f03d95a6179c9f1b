#include "kinetra/model/inverse_dynamics_derivatives.hpp"

#include <cassert>

#include "kinetra/inertia/origin_inertia.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

namespace {

// [m]x acting on motions: (w; v) x (w'; v') = (w x w'; w x v' + v x w')
SpatialTransform motion_cross_matrix(const SpatialMotion& m) {
  const Eigen::Matrix3d w = skew(m.head<3>()), v = skew(m.tail<3>());
  SpatialTransform x;
  x << w, Eigen::Matrix3d::Zero(), v, w;
  return x;
}

// the map u -> u x* h for a momentum h = (n; f)
SpatialTransform crossed_with_momentum(const SpatialForce& h) {
  const Eigen::Matrix3d n = skew(h.head<3>()), f = skew(h.tail<3>());
  SpatialTransform x;
  x << -n, -f, -f, Eigen::Matrix3d::Zero();
  return x;
}

double dot(const SpatialMotion& a, const SpatialForce& b) { return a.dot(b); }

}  // namespace

// Each body's force f = I a + v x* (I v) moves with q_k (of joint j) as the subtree of j turns by
// S_k, except for the parent's v_p and a_p: df/dq_k = S_k x* f - I psi_k + C u_k with
// u_k = S_k x v_p, psi_k = S_k x a_p + v_p x u_k and C u = I (v x u) - u x* (I v) - v x* (I u).
// Summed over subtrees (Ic, Cc, F), tau_r = S_r^T F_r gives, for a dof r at or below j,
// S_r^T (Cc u_k - Ic psi_k) (S_r turns with the subtree, which cancels S_k x* F), and for r above
// j, S_r^T (S_k x* F_j + Cc_j u_k - Ic_j psi_k). With qd_k, da/dqd_k = S_k x v - w_k for
// w_k = u_k + S_k x v_j, and df/dqd_k = -C S_k - I w_k.
KINETRA_AVX2_CLONES void rnea_derivative_sweep(const Model& model, DerivativeWorkspace& ws,
                                               DerivativeMatrixRef by_q, DerivativeMatrixRef by_v,
                                               DerivativeMatrixRef* mass) {
  const std::size_t n = model.njoints();
  for (std::size_t i = 1; i < n; ++i) {
    const SpatialTransform inertia =
        OriginInertia(model.inertias()[i].act(ws.world_from_joint[i])).matrix();
    const SpatialMotion& v = ws.velocity[i];
    const SpatialForce momentum = inertia * v;
    ws.composite_inertia[i] = inertia;
    // I [v]x - [v]x* I = T + T^T for T = I [v]x, as [v]x* = -[v]x^T and I is symmetric
    const SpatialTransform turned = inertia * motion_cross_matrix(v);
    ws.composite_coriolis[i] =
        turned + turned.transpose() - crossed_with_momentum(momentum);
    ws.composite_force[i] = inertia * ws.acceleration[i] + motion_cross_force(v, momentum);
  }
  for (std::size_t i = n - 1; i > 0; --i) {
    const std::size_t parent = model.joint_parents()[i];
    if (parent == 0) continue;
    ws.composite_inertia[parent] += ws.composite_inertia[i];
    ws.composite_coriolis[parent] += ws.composite_coriolis[i];
    ws.composite_force[parent] += ws.composite_force[i];
  }

  by_q.setZero();
  by_v.setZero();
  if (mass) mass->setZero();
  for (std::size_t i = 1; i < n; ++i) {
    const auto nv = static_cast<Eigen::Index>(model.joint_models()[i].nv());
    if (nv == 0) continue;
    const std::size_t parent = model.joint_parents()[i];
    const auto first = static_cast<Eigen::Index>(model.idx_v(i));
    const SpatialMotion &v_parent = ws.velocity[parent], &a_parent = ws.acceleration[parent];
    const SpatialTransform &ic = ws.composite_inertia[i], &cc = ws.composite_coriolis[i];
    for (Eigen::Index k = first; k < first + nv; ++k) {
      const auto kk = static_cast<std::size_t>(k);
      const SpatialMotion& s = ws.dof_motion[kk];
      const SpatialMotion u = motion_cross_motion(s, v_parent);
      const SpatialMotion psi = motion_cross_motion(s, a_parent) + motion_cross_motion(v_parent, u);
      ws.dof_velocity_turn[kk] = u;
      ws.dof_acceleration_turn[kk] = psi;
      const SpatialMotion w = u + motion_cross_motion(s, ws.velocity[i]);
      ws.dof_rate_turn[kk] = w;
      const SpatialForce ic_s = ic * s, cc_s = cc * s, cct_s = cc.transpose() * s;
      const SpatialForce by_q_below = cc * u - ic * psi;
      const SpatialForce by_v_all = -cc_s - ic * w;
      const SpatialForce by_q_above = motion_cross_force(s, ws.composite_force[i]) + by_q_below;
      // rows of the joint's own dofs
      for (Eigen::Index r = first; r < first + nv; ++r) {
        const SpatialMotion& s_r = ws.dof_motion[static_cast<std::size_t>(r)];
        by_q(r, k) = dot(s_r, by_q_below);
        by_v(r, k) = dot(s_r, by_v_all);
        if (mass) (*mass)(r, k) = dot(s_r, ic_s);
      }
      // dofs c above: (c, k) from k's terms, (k, c) from c's
      for (Eigen::Index c = ws.last_dof[parent]; c >= 0; c = ws.dof_parent[static_cast<std::size_t>(c)]) {
        const auto cc_index = static_cast<std::size_t>(c);
        const SpatialMotion& s_c = ws.dof_motion[cc_index];
        by_q(c, k) = dot(s_c, by_q_above);
        by_v(c, k) = dot(s_c, by_v_all);
        by_q(k, c) = dot(ws.dof_velocity_turn[cc_index], cct_s) -
                     dot(ws.dof_acceleration_turn[cc_index], ic_s);
        by_v(k, c) = -dot(s_c, cct_s) - dot(ws.dof_rate_turn[cc_index], ic_s);
        if (mass) (*mass)(c, k) = (*mass)(k, c) = dot(s_c, ic_s);
      }
    }
  }
}

std::expected<void, AlgorithmError> rnea_derivatives(const Model& model, Data& data,
                                                     const ConfigurationRef& q,
                                                     const ConfigurationRef& v,
                                                     const ConfigurationRef& a,
                                                     DerivativeMatrixRef by_q,
                                                     DerivativeMatrixRef by_v,
                                                     DerivativeMatrixRef by_a) {
  assert(static_cast<std::size_t>(by_q.rows()) == model.nv() && by_q.rows() == by_q.cols());
  return checked(model, data, q, {{"v", v}, {"a", a}}, [&] {
    DerivativeWorkspace& ws = data.derivatives;
    ws.resize(model);
    derivative_kinematics(model, ws, q, &v, &a);
    rnea_derivative_sweep(model, ws, by_q, by_v, &by_a);
  });
}

std::expected<DynamicsDerivatives, AlgorithmError> rnea_derivatives(const Model& model,
                                                                    Data& data,
                                                                    const ConfigurationRef& q,
                                                                    const ConfigurationRef& v,
                                                                    const ConfigurationRef& a) {
  const auto nv = static_cast<Eigen::Index>(model.nv());
  DynamicsDerivatives d{DerivativeMatrix(nv, nv), DerivativeMatrix(nv, nv),
                        DerivativeMatrix(nv, nv)};
  if (auto ok = rnea_derivatives(model, data, q, v, a, d.by_q, d.by_v, d.by_input); !ok) {
    return std::unexpected(std::move(ok.error()));
  }
  return d;
}

}  // namespace kinetra
