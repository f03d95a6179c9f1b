#include "kinetra/model/inverse_dynamics.hpp"

#include <cassert>
#include <tuple>
#include <utility>

#include "kinetra/model/joint_motion.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

namespace {

// Several-axis joints: v += S qd, a += S qdd + v x S qd with S in the joint frame, returned as
// (v, a). Out of line and by value, so that the single-axis sweep stays small and keeps its
// motions in registers.
[[gnu::noinline]] std::pair<SplitVector, SplitVector> with_several_axis_motion(
    const JointModel& joint, Eigen::Index first, const ConfigurationRef* qd,
    const ConfigurationRef* qdd, SplitVector vi, SplitVector ai) {
  joint.visit([&](const auto& kind) {
    constexpr auto nv = static_cast<int>(std::remove_cvref_t<decltype(kind)>::nv);
    if constexpr (nv > 0) {
      const auto s = kind.subspace();
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
  });
  return {vi, ai};
}

// Adds a single-axis joint's own motion S x to its velocity and acceleration: v += S qd,
// a += S qdd + v x S qd.
template <class Axis>
void add_axis_motion(const Axis& s, double qd, double qdd, SplitVector& vi, SplitVector& ai) {
  s.add_to(vi, qd);
  s.add_cross(ai, vi, qd);
  s.add_to(ai, qdd);
}

// Recursive Newton-Euler in joint frames; a null v or a stands for zero. Placements first, then
// motions, then forces: placements and forces do not depend on other joints', so the processor
// overlaps them; only the motions and the inward sum of forces are chains. Motions and forces
// are kept as 3-vector halves, and along a chain (parent i - 1) the parent's values are carried
// over from the step before rather than read back from the table just written. Flattened so
// that the small spatial products are inlined.
KINETRA_AVX2_CLONES KINETRA_FLATTEN void newton_euler(const Model& model, Workspace& ws,
                                                      const ConfigurationRef& q,
                                                      const ConfigurationRef* v,
                                                      const ConfigurationRef* a,
                                                      Eigen::Ref<Configuration> tau) {
  using Motion = JointTerms::Motion;
  const std::size_t n = model.njoints();
  for (std::size_t i = 1; i < n; ++i) ws.parent_from_joint[i] = parent_from_joint(model, i, q);

  ws.joint_velocity[0] = {};
  // a base acceleration of -g stands in for gravity on every body
  ws.joint_acceleration[0] = {Vector3D::Zero(), -model.gravity()};
  SplitVector last_velocity = ws.joint_velocity[0], last_acceleration = ws.joint_acceleration[0];
  for (std::size_t i = 1; i < n; ++i) {
    const std::size_t parent = model.joint_parents()[i];
    const SE3& parent_from_this = ws.parent_from_joint[i];
    if (parent != i - 1) {
      last_velocity = ws.joint_velocity[parent];
      last_acceleration = ws.joint_acceleration[parent];
    }
    SplitVector vi = parent_from_this.act_motion_inverse(last_velocity);
    SplitVector ai = parent_from_this.act_motion_inverse(last_acceleration);
    const JointTerms& terms = model.joint_terms()[i];
    const auto first = static_cast<Eigen::Index>(model.idx_v(i));
    switch (terms.motion) {
      case Motion::rotation:
        add_axis_motion(RotationAxis{terms.axis}, v ? (*v)[first] : 0.0, a ? (*a)[first] : 0.0, vi,
                        ai);
        break;
      case Motion::translation:
        add_axis_motion(TranslationAxis{terms.axis}, v ? (*v)[first] : 0.0, a ? (*a)[first] : 0.0,
                        vi, ai);
        break;
      case Motion::several:
        std::tie(vi, ai) = with_several_axis_motion(model.joint_models()[i], first, v, a, vi, ai);
        break;
      case Motion::none:
        break;
    }
    ws.joint_velocity[i] = last_velocity = vi;
    ws.joint_acceleration[i] = last_acceleration = ai;
  }
  for (std::size_t i = 1; i < n; ++i) {
    // f = I a + v x* (I v)
    ws.joint_force[i] =
        model.inertias()[i].momentum_rate(ws.joint_velocity[i], ws.joint_acceleration[i]);
  }

  // tau = S^T f; the force of a child i + 1 is carried over to joint i in the same way
  SplitVector carried;
  for (std::size_t i = n - 1; i > 0; --i) {
    SplitVector fi = ws.joint_force[i];
    fi.angular += carried.angular;
    fi.linear += carried.linear;
    const JointTerms& terms = model.joint_terms()[i];
    const auto first = static_cast<Eigen::Index>(model.idx_v(i));
    switch (terms.motion) {
      case Motion::rotation:
        tau[first] = RotationAxis{terms.axis}.dot(fi);
        break;
      case Motion::translation:
        tau[first] = TranslationAxis{terms.axis}.dot(fi);
        break;
      case Motion::several: {
        const MotionSubspace s = model.joint_models()[i].motion_subspace();
        tau.segment(first, s.cols()) = s.transpose() * fi.joined();
        break;
      }
      case Motion::none:
        break;
    }
    const std::size_t parent = model.joint_parents()[i];
    carried = ws.parent_from_joint[i].act_force(fi);
    if (parent == i - 1) continue;
    if (parent != 0) {
      ws.joint_force[parent].angular += carried.angular;
      ws.joint_force[parent].linear += carried.linear;
    }
    carried = {};
  }
}

// The value-returning form of an algorithm writing into caller storage.
template <class Into>
std::expected<Configuration, AlgorithmError> returned(const Model& model, Into&& into) {
  Configuration tau(static_cast<Eigen::Index>(model.nv()));
  if (auto ok = into(tau); !ok) return std::unexpected(std::move(ok.error()));
  return tau;
}

}  // namespace

std::expected<void, AlgorithmError> rnea(const Model& model, Data& data, const ConfigurationRef& q,
                                         const ConfigurationRef& v, const ConfigurationRef& a,
                                         Eigen::Ref<Configuration> tau) {
  assert(static_cast<std::size_t>(tau.size()) == model.nv());
  return checked(model, data, q, {{"v", v}, {"a", a}},
                 [&] { newton_euler(model, data.workspace, q, &v, &a, tau); });
}

std::expected<void, AlgorithmError> nonlinear_effects(const Model& model, Data& data,
                                                      const ConfigurationRef& q,
                                                      const ConfigurationRef& v,
                                                      Eigen::Ref<Configuration> tau) {
  assert(static_cast<std::size_t>(tau.size()) == model.nv());
  return checked(model, data, q, {{"v", v}},
                 [&] { newton_euler(model, data.workspace, q, &v, nullptr, tau); });
}

std::expected<void, AlgorithmError> generalized_gravity(const Model& model, Data& data,
                                                        const ConfigurationRef& q,
                                                        Eigen::Ref<Configuration> tau) {
  assert(static_cast<std::size_t>(tau.size()) == model.nv());
  return checked(model, data, q, {},
                 [&] { newton_euler(model, data.workspace, q, nullptr, nullptr, tau); });
}

std::expected<Configuration, AlgorithmError> rnea(const Model& model, Data& data,
                                                  const ConfigurationRef& q,
                                                  const ConfigurationRef& v,
                                                  const ConfigurationRef& a) {
  return returned(model, [&](Configuration& tau) { return rnea(model, data, q, v, a, tau); });
}

std::expected<Configuration, AlgorithmError> nonlinear_effects(const Model& model, Data& data,
                                                               const ConfigurationRef& q,
                                                               const ConfigurationRef& v) {
  return returned(model,
                  [&](Configuration& tau) { return nonlinear_effects(model, data, q, v, tau); });
}

std::expected<Configuration, AlgorithmError> generalized_gravity(const Model& model, Data& data,
                                                                 const ConfigurationRef& q) {
  return returned(model,
                  [&](Configuration& tau) { return generalized_gravity(model, data, q, tau); });
}

}  // namespace kinetra
