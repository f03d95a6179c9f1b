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
                                             const ConfigurationRef* qdd, SplitVector& vi,
                                             SplitVector& ai) {
  constexpr auto nv = static_cast<int>(Joint::nv);
  const auto s = joint.subspace();
  SpatialMotion v = vi.joined(), a = ai.joined();
  if (qd) {
    const SpatialMotion joint_velocity = s * qd->segment<nv>(first);
    v += joint_velocity;
    a += motion_cross_motion(v, joint_velocity);
  }
  if (qdd) a += s * qdd->segment<nv>(first);
  vi = {v.head<3>(), v.tail<3>()};
  ai = {a.head<3>(), a.tail<3>()};
}

// Adds joint i's own motion to its velocity and acceleration, S in the joint frame: v += S qd,
// a += S qdd + v x S qd. A null qd or qdd stands for zero.
template <class Joint>
void add_joint_motion(const Joint& joint, Eigen::Index first, const ConfigurationRef* qd,
                      const ConfigurationRef* qdd, SplitVector& vi, SplitVector& ai) {
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
void project_force(const Joint& joint, Eigen::Index first, const SplitVector& f,
                   Configuration& tau) {
  constexpr auto nv = static_cast<int>(Joint::nv);
  if constexpr (requires { joint.motion_axis(); }) {
    tau[first] = joint.motion_axis().dot(f);
  } else if constexpr (nv > 0) {
    tau.segment<nv>(first) = joint.subspace().transpose() * f.joined();
  }
}

// Recursive Newton-Euler in joint frames; a null v or a stands for zero. Placements first, then
// motions, then forces: placements and forces do not depend on other joints', so the processor
// overlaps them; only the motions and the inward sum of forces are chains. Motions and forces
// are kept as 3-vector halves throughout. Flattened so that the small spatial products are
// inlined into every joint kind's case.
KINETRA_AVX2_CLONES KINETRA_FLATTEN Configuration newton_euler(const Model& model, Workspace& ws,
                                                               const ConfigurationRef& q,
                                                               const ConfigurationRef* v,
                                                               const ConfigurationRef* a) {
  const std::size_t n = model.njoints();
  for (std::size_t i = 1; i < n; ++i) ws.parent_from_joint[i] = parent_from_joint(model, i, q);

  ws.joint_velocity[0] = {};
  // a base acceleration of -g stands in for gravity on every body
  ws.joint_acceleration[0] = {Vector3D::Zero(), -model.gravity()};
  for (std::size_t i = 1; i < n; ++i) {
    const std::size_t parent = model.joint_parents()[i];
    const SE3& parent_from_this = ws.parent_from_joint[i];
    SplitVector vi = parent_from_this.act_motion_inverse(ws.joint_velocity[parent]);
    SplitVector ai = parent_from_this.act_motion_inverse(ws.joint_acceleration[parent]);
    const auto first = static_cast<Eigen::Index>(model.idx_v(i));
    model.joint_models()[i].visit(
        [&](const auto& joint) { add_joint_motion(joint, first, v, a, vi, ai); });
    ws.joint_velocity[i] = vi;
    ws.joint_acceleration[i] = ai;
  }
  for (std::size_t i = 1; i < n; ++i) {
    // f = I a + v x* (I v)
    ws.joint_force[i] =
        model.inertias()[i].momentum_rate(ws.joint_velocity[i], ws.joint_acceleration[i]);
  }

  Configuration tau(static_cast<Eigen::Index>(model.nv()));
  for (std::size_t i = n - 1; i > 0; --i) {
    const auto first = static_cast<Eigen::Index>(model.idx_v(i));
    const SplitVector& fi = ws.joint_force[i];
    model.joint_models()[i].visit([&](const auto& joint) { project_force(joint, first, fi, tau); });
    const std::size_t parent = model.joint_parents()[i];
    if (parent == 0) continue;
    const SplitVector moved = ws.parent_from_joint[i].act_force(fi);
    ws.joint_force[parent].angular += moved.angular;
    ws.joint_force[parent].linear += moved.linear;
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
