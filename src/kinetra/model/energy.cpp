#include "kinetra/model/energy.hpp"

#include "kinetra/model/joint_motion.hpp"

namespace kinetra {

std::expected<double, AlgorithmError> kinetic_energy(const Model& model, Data& data,
                                                     const ConfigurationRef& q,
                                                     const ConfigurationRef& v) {
  if (auto ok = check_arguments(model, data, q, {{"v", v}}); !ok) {
    return std::unexpected(ok.error());
  }
  Workspace& ws = data.workspace;
  ws.velocity[0].setZero();
  double energy = 0.0;
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    SpatialMotion vi =
        parent_from_joint(model, i, q).act_motion_inverse(ws.velocity[model.joint_parents()[i]]);
    with_motion_axis(model.joint_models()[i], [&](const auto& s) {
      s.add_to(vi, v[static_cast<Eigen::Index>(model.idx_v(i))]);
    });
    ws.velocity[i] = vi;
    energy += 0.5 * vi.dot(model.inertias()[i] * vi);
  }
  return energy;
}

std::expected<double, AlgorithmError> potential_energy(const Model& model, Data& data,
                                                       const ConfigurationRef& q) {
  if (auto ok = check_arguments(model, data, q); !ok) return std::unexpected(ok.error());
  Workspace& ws = data.workspace;
  ws.world_from_joint[0] = SE3::identity();
  double energy = 0.0;
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    const SE3 world_from_this =
        ws.world_from_joint[model.joint_parents()[i]] * parent_from_joint(model, i, q);
    ws.world_from_joint[i] = world_from_this;
    const Inertia& inertia = model.inertias()[i];
    energy -= inertia.mass * model.gravity().dot(world_from_this.act_point(inertia.com));
  }
  return energy;
}

}  // namespace kinetra
