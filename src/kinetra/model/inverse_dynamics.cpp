#include "kinetra/model/inverse_dynamics.hpp"

#include "kinetra/model/joint_motion.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

static_assert(max_joint_nv == 1, "the Newton-Euler sweep handles single-axis joints");

namespace {

// Recursive Newton-Euler in joint frames; a null v or a stands for zero.
KINETRA_AVX2_CLONES Configuration newton_euler(const Model& model, Workspace& ws,
                                               const ConfigurationRef& q, const ConfigurationRef* v,
                                               const ConfigurationRef* a) {
  const std::size_t n = model.njoints();
  ws.velocity[0].setZero();
  // a base acceleration of -g stands in for gravity on every body
  ws.acceleration[0] = motion_from_parts(Vector3D::Zero(), -model.gravity());
  for (std::size_t i = 1; i < n; ++i) {
    const std::size_t parent = model.joint_parents()[i];
    const SE3& parent_from_this = ws.parent_from_joint[i] = parent_from_joint(model, i, q);
    SpatialMotion vi = parent_from_this.act_motion_inverse(ws.velocity[parent]);
    SpatialMotion ai = parent_from_this.act_motion_inverse(ws.acceleration[parent]);
    // v = X^-1 v_parent + S qd, a = X^-1 a_parent + S qdd + v x S qd
    with_motion_axis(model.joint_models()[i], [&](const auto& s) {
      const auto k = static_cast<Eigen::Index>(model.idx_v(i));
      if (v) {
        s.add_to(vi, (*v)[k]);
        s.add_cross(ai, vi, (*v)[k]);
      }
      if (a) s.add_to(ai, (*a)[k]);
    });
    // f = I a + v x* (I v)
    ws.force[i] = model.inertias()[i].momentum_rate(vi, ai);
    ws.velocity[i] = vi;
    ws.acceleration[i] = ai;
  }

  Configuration tau(static_cast<Eigen::Index>(model.nv()));
  for (std::size_t i = n - 1; i > 0; --i) {
    // tau = S^T f
    with_motion_axis(model.joint_models()[i], [&](const auto& s) {
      tau[static_cast<Eigen::Index>(model.idx_v(i))] = s.dot(ws.force[i]);
    });
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
