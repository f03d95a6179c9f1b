#include "kinetra/model/forward_dynamics.hpp"

#include <cassert>
#include <type_traits>

#include "kinetra/inertia/origin_inertia.hpp"
#include "kinetra/model/forward_pass.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

namespace {

template <int nv>
using Subspace = Eigen::Matrix<double, 6, nv>;
template <int nv>
using DofVector = Eigen::Matrix<double, nv, 1>;

// Rigid inertias in the world and bias forces p = v x* (I v).
KINETRA_AVX2_CLONES void body_inertias_and_bias_forces(const Model& model, Workspace& ws) {
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    const OriginInertia body(model.inertias()[i].act(ws.world_from_joint[i]));
    ws.articulated_inertia[i] = body.matrix();
    ws.force[i] = motion_cross_force(ws.velocity[i], body * ws.velocity[i]);
  }
}

// Joint i of nv dofs: U = IA S, D^-1 = (S^T U)^-1, u = tau - S^T pA; the parent receives
// Ia = IA - U D^-1 U^T and pa = pA + Ia c + U D^-1 u = pA + IA c + U D^-1 (u - U^T c).
template <int nv>
void articulate(const Model& model, Workspace& ws, const ConfigurationRef& tau, std::size_t i) {
  const SpatialTransform& inertia = ws.articulated_inertia[i];
  const SpatialMotion& c = ws.bias_acceleration[i];
  const std::size_t parent = model.joint_parents()[i];
  if constexpr (nv == 0) {
    if (parent == 0) return;
    ws.articulated_inertia[parent] += inertia;
    ws.force[parent] += ws.force[i] + inertia * c;
  } else {
    const std::size_t first = model.idx_v(i);
    const Eigen::Map<const Subspace<nv>> s(ws.dof_motion[first].data());
    const Subspace<nv> u_mat = inertia * s;
    const Eigen::Matrix<double, nv, nv> d_inv = (s.transpose() * u_mat).inverse();
    const DofVector<nv> u =
        tau.segment<nv>(static_cast<Eigen::Index>(first)) - s.transpose() * ws.force[i];
    Eigen::Map<Subspace<nv>>(ws.dof_inertia_times_motion[first].data()) = u_mat;
    ws.inverse_joint_inertia[i].topLeftCorner<nv, nv>() = d_inv;
    Eigen::Map<DofVector<nv>>(&ws.dof_residual_effort[first]) = u;
    if (parent == 0) return;
    const Subspace<nv> u_scaled = u_mat * d_inv;
    ws.articulated_inertia[parent] += inertia - u_scaled.lazyProduct(u_mat.transpose());
    ws.force[parent] += ws.force[i] + inertia * c + u_scaled * (u - u_mat.transpose() * c);
  }
}

// Joint i's accelerations from its parent's: qdd = D^-1 (u - U^T a'), a = a' + S qdd.
template <int nv>
void accelerate(const Model& model, Workspace& ws, std::size_t i, Eigen::Ref<Configuration> ddq) {
  SpatialMotion ai = ws.acceleration[model.joint_parents()[i]] + ws.bias_acceleration[i];
  if constexpr (nv > 0) {
    const std::size_t first = model.idx_v(i);
    const Eigen::Map<const Subspace<nv>> s(ws.dof_motion[first].data());
    const Eigen::Map<const Subspace<nv>> u_mat(ws.dof_inertia_times_motion[first].data());
    const Eigen::Map<const DofVector<nv>> u(&ws.dof_residual_effort[first]);
    const DofVector<nv> qdd =
        ws.inverse_joint_inertia[i].topLeftCorner<nv, nv>() * (u - u_mat.transpose() * ai);
    ddq.segment<nv>(static_cast<Eigen::Index>(first)) = qdd;
    ai += s * qdd;
  }
  ws.acceleration[i] = ai;
}

}  // namespace

// Flattened so that each joint kind's steps are inlined into both copies of the sweeps.
KINETRA_AVX2_CLONES KINETRA_FLATTEN std::expected<void, AlgorithmError> aba(
    const Model& model, Data& data, const ConfigurationRef& q, const ConfigurationRef& v,
    const ConfigurationRef& tau, Eigen::Ref<Configuration> ddq) {
  assert(static_cast<std::size_t>(ddq.size()) == model.nv());
  return checked(model, data, q, {{"v", v}, {"tau", tau}}, [&] {
    Workspace& ws = data.workspace;
    world_forward_pass(model, ws, q, &v);
    body_inertias_and_bias_forces(model, ws);
    // inward: articulated inertias IA and bias forces pA
    for (std::size_t i = model.njoints() - 1; i > 0; --i) {
      model.joint_models()[i].visit([&](const auto& joint) {
        articulate<static_cast<int>(std::remove_cvref_t<decltype(joint)>::nv)>(model, ws, tau, i);
      });
    }
    // outward: accelerations from the base's -g
    ws.acceleration[0] = motion_from_parts(Vector3D::Zero(), -model.gravity());
    for (std::size_t i = 1; i < model.njoints(); ++i) {
      model.joint_models()[i].visit([&](const auto& joint) {
        accelerate<static_cast<int>(std::remove_cvref_t<decltype(joint)>::nv)>(model, ws, i, ddq);
      });
    }
  });
}

std::expected<Configuration, AlgorithmError> aba(const Model& model, Data& data,
                                                 const ConfigurationRef& q,
                                                 const ConfigurationRef& v,
                                                 const ConfigurationRef& tau) {
  Configuration ddq(static_cast<Eigen::Index>(model.nv()));
  if (auto ok = aba(model, data, q, v, tau, ddq); !ok)
    return std::unexpected(std::move(ok.error()));
  return ddq;
}

}  // namespace kinetra
