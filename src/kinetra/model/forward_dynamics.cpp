#include "kinetra/model/forward_dynamics.hpp"

#include "kinetra/inertia/origin_inertia.hpp"
#include "kinetra/model/joint_motion.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

static_assert(max_joint_nv == 1, "the articulated-body sweep handles single-axis joints");

namespace {

// Outward: world placements, axes S, velocities, velocity-product accelerations c, rigid inertias
// and bias forces p.
KINETRA_AVX2_CLONES void outward_velocities(const Model& model, Workspace& ws,
                                            const ConfigurationRef& q, const ConfigurationRef& v) {
  const std::size_t n = model.njoints();
  ws.world_from_joint[0] = SE3::identity();
  ws.velocity[0].setZero();
  for (std::size_t i = 1; i < n; ++i) {
    const std::size_t parent = model.joint_parents()[i];
    const SE3 world_from_this = ws.world_from_joint[parent] * parent_from_joint(model, i, q);
    ws.world_from_joint[i] = world_from_this;
    SpatialMotion vj = SpatialMotion::Zero();  // S qd
    with_motion_axis(model.joint_models()[i], [&](const auto& axis) {
      ws.motion_axis[i] = axis.act(world_from_this);
      vj = v[static_cast<Eigen::Index>(model.idx_v(i))] * ws.motion_axis[i];
    });
    const SpatialMotion vi = ws.velocity[parent] + vj;
    ws.velocity[i] = vi;
    // c = v x S qd: S moves with the body
    ws.bias_acceleration[i] = motion_cross_motion(vi, vj);
    const OriginInertia body(model.inertias()[i].act(world_from_this));
    ws.articulated_inertia[i] = body.matrix();
    // p = v x* (I v)
    ws.force[i] = motion_cross_force(vi, body * vi);
  }
}

// Inward: articulated inertias IA and bias forces pA, handed to each parent; a joint without an
// axis hands on U = 0 and D^-1 = 0.
KINETRA_AVX2_CLONES void inward_articulated_inertias(const Model& model, Workspace& ws,
                                                     const ConfigurationRef& tau) {
  for (std::size_t i = model.njoints() - 1; i > 0; --i) {
    const SpatialTransform& inertia = ws.articulated_inertia[i];
    const SpatialMotion& c = ws.bias_acceleration[i];
    SpatialForce u_vec = SpatialForce::Zero();
    double d_inv = 0.0, u = 0.0;
    if (!model.joint_models()[i].axes().empty()) {
      const SpatialMotion& s = ws.motion_axis[i];
      u_vec = inertia * s;                                                      // U = IA S
      d_inv = 1.0 / s.dot(u_vec);                                               // D^-1 = (S^T U)^-1
      u = tau[static_cast<Eigen::Index>(model.idx_v(i))] - s.dot(ws.force[i]);  // u = tau - S^T pA
    }
    ws.inertia_times_axis[i] = u_vec;
    ws.inverse_axis_inertia[i] = d_inv;
    ws.residual_effort[i] = u;
    const std::size_t parent = model.joint_parents()[i];
    if (parent == 0) continue;
    // Ia = IA - U D^-1 U^T and pa = pA + Ia c + U D^-1 u = pA + IA c + U D^-1 (u - U^T c)
    const SpatialForce u_scaled = d_inv * u_vec;
    ws.articulated_inertia[parent] += inertia - u_scaled * u_vec.transpose();
    ws.force[parent] += ws.force[i] + inertia * c + (u - u_vec.dot(c)) * u_scaled;
  }
}

// Outward: accelerations from the base's -g, and the joint accelerations.
KINETRA_AVX2_CLONES Configuration outward_accelerations(const Model& model, Workspace& ws) {
  Configuration ddq(static_cast<Eigen::Index>(model.nv()));
  ws.acceleration[0] = motion_from_parts(Vector3D::Zero(), -model.gravity());
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    SpatialMotion ai = ws.acceleration[model.joint_parents()[i]] + ws.bias_acceleration[i];
    if (!model.joint_models()[i].axes().empty()) {
      // qdd = D^-1 (u - U^T a')
      const double qdd =
          ws.inverse_axis_inertia[i] * (ws.residual_effort[i] - ws.inertia_times_axis[i].dot(ai));
      ddq[static_cast<Eigen::Index>(model.idx_v(i))] = qdd;
      ai += qdd * ws.motion_axis[i];
    }
    ws.acceleration[i] = ai;
  }
  return ddq;
}

}  // namespace

// Every quantity lives in world coordinates, so articulated inertias pass to the parent as they
// are, without a transform per body.
std::expected<Configuration, AlgorithmError> aba(const Model& model, Data& data,
                                                 const ConfigurationRef& q,
                                                 const ConfigurationRef& v,
                                                 const ConfigurationRef& tau) {
  if (auto ok = check_arguments(model, data, q, {{"v", v}, {"tau", tau}}); !ok) {
    return std::unexpected(ok.error());
  }
  outward_velocities(model, data.workspace, q, v);
  inward_articulated_inertias(model, data.workspace, tau);
  return outward_accelerations(model, data.workspace);
}

}  // namespace kinetra
