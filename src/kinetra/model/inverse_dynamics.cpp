#include "kinetra/model/inverse_dynamics.hpp"

#include "kinetra/model/joint_motion.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

namespace {

// Several-axis joints: v += S qd, a += S qdd + v x S qd, kept out of line so that the
// single-axis sweep stays small.
template <class Joint>
[[gnu::noinline]] void add_multi_axis_motion(const Joint& joint, Eigen::Index first,
                                             const ConfigurationRef* qd,
                                             const ConfigurationRef* qdd, SpatialMotion& vi,
                                             SpatialMotion& ai) {
  constexpr auto nv = static_cast<int>(Joint::nv);
  const auto s = joint.subspace();
  if (qd) {
    const SpatialMotion joint_velocity = s * qd->segment<nv>(first);
    vi += joint_velocity;
    ai += motion_cross_motion(vi, joint_velocity);
  }
  if (qdd) ai += s * qdd->segment<nv>(first);
}

// Adds joint i's own motion to its velocity and acceleration, S in the joint frame: v += S qd,
// a += S qdd + v x S qd. A null qd or qdd stands for zero.
template <class Joint>
void add_joint_motion(const Joint& joint, Eigen::Index first, const ConfigurationRef* qd,
                      const ConfigurationRef* qdd, SpatialMotion& vi, SpatialMotion& ai) {
  if constexpr (requires { joint.motion_axis(); }) {
    const auto s = joint.motion_axis();
    if (qd) {
      s.add_to(vi, (*qd)[first]);
      s.add_cross(ai, vi, (*qd)[first]);
    }
    if (qdd) s.add_to(ai, (*qdd)[first]);
  } else if constexpr (Joint::nv > 0) {
    add_multi_axis_motion(joint, first, qd, qdd, vi, ai);
  }
}

// tau = S^T f for joint i, S in the joint frame.
template <class Joint>
void project_force(const Joint& joint, Eigen::Index first, const SpatialForce& f,
                   Configuration& tau) {
  constexpr auto nv = static_cast<int>(Joint::nv);
  if constexpr (requires { joint.motion_axis(); }) {
    tau[first] = joint.motion_axis().dot(f);
  } else if constexpr (nv > 0) {
    tau.segment<nv>(first) = joint.subspace().transpose() * f;
  }
}

// Recursive Newton-Euler in joint frames; a null v or a stands for zero. Flattened so that the
// small spatial products are inlined into every joint kind's case of the sweep.
KINETRA_FLATTEN Configuration newton_euler(const Model& model, Workspace& ws,
                                           const ConfigurationRef& q, const ConfigurationRef* v,
                                           const ConfigurationRef* a) {
  const std::size_t n = model.njoints();
  ws.velocity[0].setZero();
  // a base acceleration of -g stands in for gravity on every body
  ws.acceleration[0] = motion_from_parts(Vector3D::Zero(), -model.gravity());
  for (std::size_t i = 1; i < n; ++i) {
    const std::size_t parent = model.joint_parents()[i];
    const auto first = static_cast<Eigen::Index>(model.idx_v(i));
    const double* qi = q.data() + model.idx_q(i);
    // one dispatch per joint: its placement and its own motion inlined for its kind
    model.joint_models()[i].visit([&](const auto& joint) {
      const SE3& parent_from_this = ws.parent_from_joint[i] =
          joint.transform_after(model.joint_placements()[i], qi);
      SpatialMotion vi = parent_from_this.act_motion_inverse(ws.velocity[parent]);
      SpatialMotion ai = parent_from_this.act_motion_inverse(ws.acceleration[parent]);
      add_joint_motion(joint, first, v, a, vi, ai);
      // f = I a + v x* (I v)
      ws.force[i] = model.inertias()[i].momentum_rate(vi, ai);
      ws.velocity[i] = vi;
      ws.acceleration[i] = ai;
    });
  }

  Configuration tau(static_cast<Eigen::Index>(model.nv()));
  for (std::size_t i = n - 1; i > 0; --i) {
    const auto first = static_cast<Eigen::Index>(model.idx_v(i));
    model.joint_models()[i].visit(
        [&](const auto& joint) { project_force(joint, first, ws.force[i], tau); });
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
  return checked(model, data, q, {{"v", v}, {"a", a}},
                 [&] { return newton_euler(model, data.workspace, q, &v, &a); });
}

std::expected<Configuration, AlgorithmError> nonlinear_effects(const Model& model, Data& data,
                                                               const ConfigurationRef& q,
                                                               const ConfigurationRef& v) {
  return checked(model, data, q, {{"v", v}},
                 [&] { return newton_euler(model, data.workspace, q, &v, nullptr); });
}

std::expected<Configuration, AlgorithmError> generalized_gravity(const Model& model, Data& data,
                                                                 const ConfigurationRef& q) {
  return checked(model, data, q, {},
                 [&] { return newton_euler(model, data.workspace, q, nullptr, nullptr); });
}

}  // namespace kinetra
