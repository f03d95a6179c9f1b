#include "kinetra/model/derivative_workspace.hpp"

#include "kinetra/model/joint_motion.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

void DerivativeWorkspace::resize(const Model& model) {
  const std::size_t n = model.njoints(), nv = model.nv();
  const auto columns = static_cast<Eigen::Index>(n * nv);
  if (world_from_joint.size() == n && dof_motion.size() == nv && propagated.cols() == columns) {
    return;
  }
  world_from_joint.resize(n);
  velocity.resize(n);
  acceleration.resize(n);
  composite_inertia.resize(n);
  composite_coriolis.resize(n);
  composite_force.resize(n);
  inverse_joint_inertia.resize(n);
  last_dof.resize(n);
  dof_motion.resize(nv);
  dof_parent.resize(nv);
  dof_velocity_turn.resize(nv);
  dof_acceleration_turn.resize(nv);
  dof_rate_turn.resize(nv);
  dof_inertia_times_motion.resize(nv);
  propagated.resize(6, columns);
  const auto size = static_cast<Eigen::Index>(nv);
  acceleration_solution.resize(size);
  effort_by_q.resize(size, size);
  effort_by_v.resize(size, size);
}

void derivative_kinematics(const Model& model, DerivativeWorkspace& ws, const ConfigurationRef& q,
                           const ConfigurationRef* v, const ConfigurationRef* a) {
  ws.world_from_joint[0] = SE3::identity();
  ws.velocity[0].setZero();
  ws.acceleration[0] = motion_from_parts(Vector3D::Zero(), -model.gravity());
  ws.last_dof[0] = -1;
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    const std::size_t parent = model.joint_parents()[i], first = model.idx_v(i);
    const double* values = q.data() + model.idx_q(i);
    model.joint_models()[i].visit([&](const auto& kind) {
      const SE3 world_from_this =
          ws.world_from_joint[parent] * parent_from_joint(model, i, kind, values);
      ws.world_from_joint[i] = world_from_this;
      // S qd and S qdd
      SpatialMotion joint_velocity = SpatialMotion::Zero(), joint_acceleration = joint_velocity;
      for_each_motion_column(kind, world_from_this, [&](std::size_t k, const SpatialMotion& s) {
        const auto dof = static_cast<Eigen::Index>(first + k);
        ws.dof_motion[first + k] = s;
        if (v) joint_velocity += (*v)[dof] * s;
        if (a) joint_acceleration += (*a)[dof] * s;
      });
      const SpatialMotion& parent_velocity = ws.velocity[parent];
      ws.velocity[i] = parent_velocity + joint_velocity;
      // a = a_parent + S qdd + v_parent x S qd
      ws.acceleration[i] = ws.acceleration[parent] + joint_acceleration +
                           motion_cross_motion(parent_velocity, joint_velocity);
    });
    const auto nv = static_cast<Eigen::Index>(model.joint_models()[i].nv());
    const auto first_dof = static_cast<Eigen::Index>(first);
    const Eigen::Index above = ws.last_dof[parent];
    ws.last_dof[i] = nv > 0 ? first_dof + nv - 1 : above;
    for (Eigen::Index r = first_dof; r < first_dof + nv; ++r) {
      ws.dof_parent[static_cast<std::size_t>(r)] = r == first_dof ? above : r - 1;
    }
  }
}

}  // namespace kinetra
