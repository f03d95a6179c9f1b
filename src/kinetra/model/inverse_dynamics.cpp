#include "kinetra/model/inverse_dynamics.hpp"

#include "kinetra/model/joint_motion.hpp"

namespace kinetra {

namespace {

// Recursive Newton-Euler in joint frames; a null v or a stands for zero.
Configuration newton_euler(const Model& model, Workspace& ws, const ConfigurationRef& q,
                           const ConfigurationRef* v, const ConfigurationRef* a) {
  const std::size_t n = model.njoints();
  ws.velocity[0].setZero();
  // a base acceleration of -g stands in for gravity on every body
  ws.acceleration[0] = motion_from_parts(Vector3D::Zero(), -model.gravity());
  for (std::size_t i = 1; i < n; ++i) {
    const JointModel& joint = model.joint_models()[i];
    const std::size_t parent = model.joint_parents()[i];
    const SE3 parent_from_this = parent_from_joint(model, i, q);
    ws.parent_from_joint[i] = parent_from_this;
    const SpatialMotion vj =
        v ? joint_motion(joint, *v, model.idx_v(i)) : SpatialMotion::Zero().eval();
    const SpatialMotion aj =
        a ? joint_motion(joint, *a, model.idx_v(i)) : SpatialMotion::Zero().eval();
    const SpatialMotion vi = parent_from_this.act_motion_inverse(ws.velocity[parent]) + vj;
    const SpatialMotion ai = parent_from_this.act_motion_inverse(ws.acceleration[parent]) + aj +
                             motion_cross_motion(vi, vj);
    const Inertia& inertia = model.inertias()[i];
    // f = I a + v x* (I v)
    ws.force[i] = inertia * ai + motion_cross_force(vi, inertia * vi);
    ws.velocity[i] = vi;
    ws.acceleration[i] = ai;
  }

  Configuration tau = Configuration::Zero(static_cast<Eigen::Index>(model.nv()));
  for (std::size_t i = n - 1; i > 0; --i) {
    const auto axes = model.joint_models()[i].axes();
    for (std::size_t k = 0; k < axes.size(); ++k) {
      tau[static_cast<Eigen::Index>(model.idx_v(i) + k)] = axes[k].dot(ws.force[i]);
    }
    const std::size_t parent = model.joint_parents()[i];
    if (parent != 0) ws.force[parent] += ws.parent_from_joint[i].act_force(ws.force[i]);
  }
  return tau;
}

}  // namespace

std::expected<Configuration, AlgorithmError> rnea(const Model& model, Data& data,
                                                  const ConfigurationRef& q,
                                                  const ConfigurationRef& v,
                                                  const ConfigurationRef& a) {
  if (auto ok = check_arguments(model, data, q, {{"v", v}, {"a", a}}); !ok) {
    return std::unexpected(ok.error());
  }
  return newton_euler(model, data.workspace, q, &v, &a);
}

std::expected<Configuration, AlgorithmError> nonlinear_effects(const Model& model, Data& data,
                                                               const ConfigurationRef& q,
                                                               const ConfigurationRef& v) {
  if (auto ok = check_arguments(model, data, q, {{"v", v}}); !ok) {
    return std::unexpected(ok.error());
  }
  return newton_euler(model, data.workspace, q, &v, nullptr);
}

std::expected<Configuration, AlgorithmError> generalized_gravity(const Model& model, Data& data,
                                                                 const ConfigurationRef& q) {
  if (auto ok = check_arguments(model, data, q); !ok) return std::unexpected(ok.error());
  return newton_euler(model, data.workspace, q, nullptr, nullptr);
}

}  // namespace kinetra
