#include "kinetra/model/forward_dynamics.hpp"

#include "kinetra/model/joint_motion.hpp"

namespace kinetra {

static_assert(max_joint_nv == 1, "the articulated-body sweep handles single-axis joints");

std::expected<Configuration, AlgorithmError> aba(const Model& model, Data& data,
                                                 const ConfigurationRef& q,
                                                 const ConfigurationRef& v,
                                                 const ConfigurationRef& tau) {
  if (auto ok = check_arguments(model, data, q, {{"v", v}, {"tau", tau}}); !ok) {
    return std::unexpected(ok.error());
  }
  Workspace& ws = data.workspace;
  const std::size_t n = model.njoints();

  // outward: velocities, velocity-product accelerations c, rigid inertias, bias forces p
  ws.velocity[0].setZero();
  for (std::size_t i = 1; i < n; ++i) {
    const std::size_t parent = model.joint_parents()[i];
    const SE3 parent_from_this = parent_from_joint(model, i, q);
    ws.parent_from_joint[i] = parent_from_this;
    const SpatialMotion vj = joint_motion(model.joint_models()[i], v, model.idx_v(i));
    const SpatialMotion vi = parent_from_this.act_motion_inverse(ws.velocity[parent]) + vj;
    const Inertia& inertia = model.inertias()[i];
    ws.velocity[i] = vi;
    ws.bias_acceleration[i] = motion_cross_motion(vi, vj);
    ws.articulated_inertia[i] = inertia.matrix();
    // p = v x* (I v)
    ws.force[i] = motion_cross_force(vi, inertia * vi);
  }

  // inward: articulated inertias IA and bias forces pA, handed to each parent
  for (std::size_t i = n - 1; i > 0; --i) {
    SpatialTransform handed_inertia = ws.articulated_inertia[i];
    SpatialForce handed_force = ws.force[i];
    const auto axes = model.joint_models()[i].axes();
    if (!axes.empty()) {
      const SpatialMotion& s = axes.front();
      const SpatialForce u_vec = ws.articulated_inertia[i] * s;  // U = IA S
      const double d_inv = 1.0 / s.dot(u_vec);                   // D^-1 = (S^T U)^-1
      const double u = tau[static_cast<Eigen::Index>(model.idx_v(i))] - s.dot(ws.force[i]);
      ws.inertia_times_axis[i] = u_vec;
      ws.inverse_axis_inertia[i] = d_inv;
      ws.residual_effort[i] = u;
      // Ia = IA - U D^-1 U^T, pa = pA + U D^-1 u
      handed_inertia.noalias() -= (d_inv * u_vec) * u_vec.transpose();
      handed_force += (d_inv * u) * u_vec;
    }
    // pa += Ia c
    handed_force.noalias() += handed_inertia * ws.bias_acceleration[i];
    const std::size_t parent = model.joint_parents()[i];
    if (parent == 0) continue;
    const SE3& parent_from_this = ws.parent_from_joint[i];
    // the force transform to the parent is the action; motions come back through its transpose
    const SpatialTransform to_parent = parent_from_this.action();
    ws.articulated_inertia[parent].noalias() += to_parent * handed_inertia * to_parent.transpose();
    ws.force[parent] += parent_from_this.act_force(handed_force);
  }

  // outward: accelerations from the base's -g
  Configuration ddq = Configuration::Zero(static_cast<Eigen::Index>(model.nv()));
  ws.acceleration[0] = motion_from_parts(Vector3D::Zero(), -model.gravity());
  for (std::size_t i = 1; i < n; ++i) {
    const std::size_t parent = model.joint_parents()[i];
    SpatialMotion ai = ws.parent_from_joint[i].act_motion_inverse(ws.acceleration[parent]) +
                       ws.bias_acceleration[i];
    const auto axes = model.joint_models()[i].axes();
    if (!axes.empty()) {
      // qdd = D^-1 (u - U^T a')
      const double qdd =
          ws.inverse_axis_inertia[i] * (ws.residual_effort[i] - ws.inertia_times_axis[i].dot(ai));
      ddq[static_cast<Eigen::Index>(model.idx_v(i))] = qdd;
      ai += qdd * axes.front();
    }
    ws.acceleration[i] = ai;
  }
  return ddq;
}

}  // namespace kinetra
