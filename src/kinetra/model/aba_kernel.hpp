#pragma once

#include <cstddef>
#include <vector>

#include "kinetra/model/world_pass_kernel.hpp"

namespace kinetra::kernel {

// The articulated-body algorithm's tables, in world axes at the world origin (n joints, nv dofs).
template <class S>
struct AbaWorkspace {
  WorldPassWorkspace<S> world;                    // oMi, S, v_i, c_i
  std::vector<Mat6<S>> articulated_inertia;       // (n) IA_i, symmetric
  std::vector<Vec6<S>> bias_force;                // (n) pA_i, from v_i x* (I v_i) and the children
  std::vector<Vec6<S>> acceleration;              // (n) a_i; a_0 = -g
  std::vector<Vec6<S>> dof_inertia_times_motion;  // (nv) U = IA S
  std::vector<S> dof_residual_effort;             // (nv) u = tau - S^T pA
  std::vector<S> dof_inverse_inertia;             // (nv) D^-1 = 1 / (S^T U) of a one-dof joint
  std::vector<Mat6<S>> inverse_joint_inertia;     // (n) D^-1 in the top-left nv x nv of others

  void resize(std::size_t n, std::size_t nv) {
    world.resize(n, nv);
    articulated_inertia.resize(n);
    bias_force.resize(n);
    acceleration.resize(n);
    dof_inertia_times_motion.resize(nv);
    dof_residual_effort.resize(nv);
    dof_inverse_inertia.resize(nv);
    inverse_joint_inertia.resize(n);
  }
};

// Joint i of nv (> 1) dofs: U = IA S, D^-1 = (S^T U)^-1, u = tau - S^T pA; the parent receives
// Ia = IA - U D^-1 U^T and pa = pA + IA c + U D^-1 (u - U^T c).
template <int nv, class S>
void articulate_several(const CompiledModel& model, AbaWorkspace<S>& ws, const S* tau,
                        std::size_t i) {
  using Subspace = Eigen::Matrix<S, 6, nv>;
  using Dofs = Eigen::Matrix<S, nv, 1>;
  const Mat6<S>& inertia = ws.articulated_inertia[i];
  const Vec6<S>& c = ws.world.bias_acceleration[i];
  const std::size_t first = model.v_address[i], parent = model.parent[i];
  const Eigen::Map<const Subspace> s(ws.world.dof_motion[first].data());
  const Subspace u_mat = inertia * s;
  const Eigen::Matrix<S, nv, nv> d_inv = (s.transpose() * u_mat).inverse();
  const Dofs u = Eigen::Map<const Dofs>(tau + first) - s.transpose() * ws.bias_force[i];
  Eigen::Map<Subspace>(ws.dof_inertia_times_motion[first].data()) = u_mat;
  ws.inverse_joint_inertia[i].template topLeftCorner<nv, nv>() = d_inv;
  Eigen::Map<Dofs>(&ws.dof_residual_effort[first]) = u;
  if (parent == 0) return;
  const Subspace u_scaled = u_mat * d_inv;
  ws.articulated_inertia[parent] += inertia - u_scaled.lazyProduct(u_mat.transpose());
  ws.bias_force[parent] += ws.bias_force[i] + inertia * c + u_scaled * (u - u_mat.transpose() * c);
}

template <int nv, class S>
Vec6<S> accelerate_several(const CompiledModel& model, AbaWorkspace<S>& ws, std::size_t i,
                           const Vec6<S>& ai, S* qdd_out) {
  using Subspace = Eigen::Matrix<S, 6, nv>;
  using Dofs = Eigen::Matrix<S, nv, 1>;
  const std::size_t first = model.v_address[i];
  const Eigen::Map<const Subspace> s(ws.world.dof_motion[first].data());
  const Eigen::Map<const Subspace> u_mat(ws.dof_inertia_times_motion[first].data());
  const Eigen::Map<const Dofs> u(&ws.dof_residual_effort[first]);
  const Dofs qdd =
      ws.inverse_joint_inertia[i].template topLeftCorner<nv, nv>() * (u - u_mat.transpose() * ai);
  Eigen::Map<Dofs>(qdd_out + first) = qdd;
  return ai + s * qdd;
}

// qdd = M(q)^-1 (tau - C(q, v) v - g(q)) by the articulated-body algorithm.
template <class S>
void aba(const CompiledModel& model, AbaWorkspace<S>& ws, const S* q, const S* v, const S* tau,
         S* qdd) {
  const std::size_t n = model.njoints;
  world_forward_pass(model, ws.world, q, v);
  // rigid inertias in the world and bias forces p = v x* (I v)
  for (std::size_t i = 1; i < n; ++i) {
    const OriginParameters<S> body = placed_inertia(model.body[i], ws.world.world_from_joint[i]);
    ws.articulated_inertia[i] = body.matrix();
    const Halves<S> vi = Halves<S>::of(ws.world.velocity[i]);
    motion_cross_force(vi, body * vi).store(ws.bias_force[i]);
  }
  // inward: articulated inertias IA and bias forces pA
  for (std::size_t i = n - 1; i > 0; --i) {
    const std::size_t parent = model.parent[i], first = model.v_address[i];
    const Mat6<S>& inertia = ws.articulated_inertia[i];
    const Vec6<S>& c = ws.world.bias_acceleration[i];
    switch (model.joint_nv[i]) {
      case 0:
        if (parent == 0) break;
        ws.articulated_inertia[parent] += inertia;
        ws.bias_force[parent] += ws.bias_force[i] + inertia * c;
        break;
      case 1: {
        // D = S^T U is a scalar: Ia = IA - U U^T / D, pa = pA + IA c + U (u - U^T c) / D
        const Vec6<S>& s = ws.world.dof_motion[first];
        const Vec6<S> u_vec = inertia * s;
        const S d_inv = S(1) / s.dot(u_vec);
        const S u = tau[first] - s.dot(ws.bias_force[i]);
        ws.dof_inertia_times_motion[first] = u_vec;
        ws.dof_inverse_inertia[first] = d_inv;
        ws.dof_residual_effort[first] = u;
        if (parent == 0) break;
        const Vec6<S> u_scaled = d_inv * u_vec;
        ws.articulated_inertia[parent] += inertia - u_scaled * u_vec.transpose();
        ws.bias_force[parent] += ws.bias_force[i] + inertia * c + (u - u_vec.dot(c)) * u_scaled;
        break;
      }
      case 3:
        articulate_several<3>(model, ws, tau, i);
        break;
      default:
        articulate_several<6>(model, ws, tau, i);
        break;
    }
  }
  // outward: accelerations from the base's -g
  ws.acceleration[0] = (Vec6<S>() << Vec3<S>::Zero(), -model.gravity.template cast<S>()).finished();
  for (std::size_t i = 1; i < n; ++i) {
    const std::size_t first = model.v_address[i];
    Vec6<S> ai = ws.acceleration[model.parent[i]] + ws.world.bias_acceleration[i];
    switch (model.joint_nv[i]) {
      case 0:
        break;
      case 1: {
        // qdd = D^-1 (u - U^T a'), a = a' + S qdd
        const S joint_qdd =
            ws.dof_inverse_inertia[first] *
            (ws.dof_residual_effort[first] - ws.dof_inertia_times_motion[first].dot(ai));
        qdd[first] = joint_qdd;
        ai += joint_qdd * ws.world.dof_motion[first];
        break;
      }
      case 3:
        ai = accelerate_several<3>(model, ws, i, ai, qdd);
        break;
      default:
        ai = accelerate_several<6>(model, ws, i, ai, qdd);
        break;
    }
    ws.acceleration[i] = ai;
  }
}

}  // namespace kinetra::kernel
