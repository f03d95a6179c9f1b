#include "kinetra/model/jacobians.hpp"

#include <cassert>

#include "kinetra/model/forward_kinematics.hpp"
#include "kinetra/model/frames.hpp"
#include "kinetra/model/joint_motion.hpp"

namespace kinetra {
namespace {

// Checks the sizes and frame id, then runs forward kinematics, which checks the data; on error
// nothing changed.
std::expected<void, AlgorithmError> prepare(const Model& model, Data& data,
                                            const ConfigurationRef& q, std::size_t frame_id,
                                            std::initializer_list<NamedVector> velocity_sized) {
  if (auto ok = check_configuration(model, q, velocity_sized); !ok) return ok;
  if (auto ok = check_frame_id(model, frame_id); !ok) return ok;
  return forward_kinematics(model, data, q);
}

// The transform taking a world twist at the world origin to the kind's twist.
SE3 kind_from_world(JacobianKind kind, const SE3& world_from_frame) {
  switch (kind) {
    case JacobianKind::Geometric:
      return {SpatialRotation::Identity(), -world_from_frame.translation};
    case JacobianKind::Body:
      return world_from_frame.inverse();
    case JacobianKind::Spatial:
      break;
  }
  return SE3::identity();
}

// The twist of the body carried by `joint` in world axes at the world origin: sum of S_k v_k.
SpatialMotion spatial_velocity(const Model& model, const Data& data, std::size_t joint,
                               const ConfigurationRef& v) {
  SpatialMotion twist = SpatialMotion::Zero();
  for (std::size_t i = joint; i > 0; i = model.joint_parents()[i]) {
    for_each_motion_column(model.joint_models()[i], data.joint_placements[i],
                           [&](std::size_t k, const SpatialMotion& s) {
                             twist += s * v[static_cast<Eigen::Index>(model.idx_v(i) + k)];
                           });
  }
  return twist;
}

// (0; w x p') with p' = v + w x p the velocity of the point p moving with `twist`: what the
// derivative of a motion (w; u) moved to p gains over that of the motion moved to the fixed p.
SpatialMotion origin_motion_term(const SpatialMotion& twist, const Vector3D& p, const Vector3D& w) {
  const Vector3D p_dot = twist.tail<3>() + twist.head<3>().cross(p);
  return motion_from_parts(Vector3D::Zero(), w.cross(p_dot));
}

}  // namespace

std::expected<void, AlgorithmError> frame_jacobian(const Model& model, Data& data,
                                                   const ConfigurationRef& q, std::size_t frame_id,
                                                   JacobianKind kind, Matrix6XRef out) {
  assert(out.rows() == 6 && static_cast<std::size_t>(out.cols()) == model.nv());
  if (auto ok = prepare(model, data, q, frame_id, {}); !ok) return ok;
  const SE3 to_kind = kind_from_world(kind, world_from_frame(model, data, frame_id));
  out.setZero();
  const std::size_t joint = model.frames()[frame_id].parent_joint;
  for (std::size_t i = joint; i > 0; i = model.joint_parents()[i]) {
    // the columns straight in the kind's frame: placement = kind_from_world * oMi
    const SE3& world_from_joint = data.joint_placements[i];
    const SE3 kind_from_joint =
        kind == JacobianKind::Geometric
            ? SE3{world_from_joint.rotation, world_from_joint.translation + to_kind.translation}
            : to_kind * world_from_joint;
    for_each_motion_column(model.joint_models()[i], kind_from_joint,
                           [&](std::size_t k, const SpatialMotion& s) {
                             out.col(static_cast<Eigen::Index>(model.idx_v(i) + k)) = s;
                           });
  }
  return {};
}

std::expected<Matrix6X, AlgorithmError> frame_jacobian(const Model& model, Data& data,
                                                       const ConfigurationRef& q,
                                                       std::size_t frame_id, JacobianKind kind) {
  Matrix6X out(6, static_cast<Eigen::Index>(model.nv()));
  if (auto ok = frame_jacobian(model, data, q, frame_id, kind, out); !ok) {
    return std::unexpected(ok.error());
  }
  return out;
}

std::expected<SpatialMotion, AlgorithmError> frame_velocity(const Model& model, Data& data,
                                                            const ConfigurationRef& q,
                                                            const ConfigurationRef& v,
                                                            std::size_t frame_id,
                                                            JacobianKind kind) {
  if (auto ok = prepare(model, data, q, frame_id, {{"v", v}}); !ok) {
    return std::unexpected(ok.error());
  }
  const SpatialMotion twist =
      spatial_velocity(model, data, model.frames()[frame_id].parent_joint, v);
  return kind_from_world(kind, world_from_frame(model, data, frame_id)).act_motion(twist);
}

std::expected<SpatialMotion, AlgorithmError> frame_acceleration(
    const Model& model, Data& data, const ConfigurationRef& q, const ConfigurationRef& v,
    const ConfigurationRef& a, std::size_t frame_id, JacobianKind kind) {
  if (auto ok = prepare(model, data, q, frame_id, {{"v", v}, {"a", a}}); !ok) {
    return std::unexpected(ok.error());
  }
  // a_s = sum_i S_i a_i + v_i x S_i qd_i = sum_i S_i a_i + (S_i qd_i) x d_i, with d_i the sum of
  // S_j qd_j over the joints further out than i
  SpatialMotion acceleration = SpatialMotion::Zero();
  SpatialMotion twist = SpatialMotion::Zero();  // d_i while walking in, the body's twist after
  for (std::size_t i = model.frames()[frame_id].parent_joint; i > 0; i = model.joint_parents()[i]) {
    SpatialMotion joint_velocity = SpatialMotion::Zero();
    for_each_motion_column(model.joint_models()[i], data.joint_placements[i],
                           [&](std::size_t k, const SpatialMotion& s) {
                             const auto iv = static_cast<Eigen::Index>(model.idx_v(i) + k);
                             const SpatialMotion sv = s * v[iv];
                             acceleration += s * a[iv] + motion_cross_motion(sv, twist);
                             joint_velocity += sv;
                           });
    twist += joint_velocity;
  }
  const SE3 placement = world_from_frame(model, data, frame_id);
  SpatialMotion result = kind_from_world(kind, placement).act_motion(acceleration);
  // the body kind's frame moves with the twist, whose own cross product vanishes
  if (kind == JacobianKind::Geometric) {
    result += origin_motion_term(twist, placement.translation, twist.head<3>());
  }
  return result;
}

std::expected<void, AlgorithmError> frame_jacobian_time_variation(
    const Model& model, Data& data, const ConfigurationRef& q, const ConfigurationRef& v,
    std::size_t frame_id, JacobianKind kind, Matrix6XRef out) {
  assert(out.rows() == 6 && static_cast<std::size_t>(out.cols()) == model.nv());
  if (auto ok = prepare(model, data, q, frame_id, {{"v", v}}); !ok) return ok;
  const std::size_t joint = model.frames()[frame_id].parent_joint;
  const SpatialMotion twist = spatial_velocity(model, data, joint, v);
  const SE3 placement = world_from_frame(model, data, frame_id);
  const SE3 to_kind = kind_from_world(kind, placement);
  out.setZero();
  // dJ_k/dt = v_i x J_k (world origin) with v_i = twist - d_i the velocity of S_k's joint
  SpatialMotion further_out = SpatialMotion::Zero();
  for (std::size_t i = joint; i > 0; i = model.joint_parents()[i]) {
    SpatialMotion joint_velocity = SpatialMotion::Zero();
    for_each_motion_column(
        model.joint_models()[i], data.joint_placements[i],
        [&](std::size_t k, const SpatialMotion& s) {
          const auto iv = static_cast<Eigen::Index>(model.idx_v(i) + k);
          joint_velocity += s * v[iv];
          auto column = out.col(iv);
          switch (kind) {
            case JacobianKind::Spatial:
              column = motion_cross_motion(twist - further_out, s);
              break;
            case JacobianKind::Body:
              // d/dt (fMo J_k) = fMo ((v_i - twist) x J_k)
              column = to_kind.act_motion(motion_cross_motion(-further_out, s));
              break;
            case JacobianKind::Geometric:
              // J_k moved to the origin p, which moves with p': gains (0; w_k x p')
              column = to_kind.act_motion(motion_cross_motion(twist - further_out, s)) +
                       origin_motion_term(twist, placement.translation, s.head<3>());
              break;
          }
        });
    further_out += joint_velocity;
  }
  return {};
}

std::expected<Matrix6X, AlgorithmError> frame_jacobian_time_variation(
    const Model& model, Data& data, const ConfigurationRef& q, const ConfigurationRef& v,
    std::size_t frame_id, JacobianKind kind) {
  Matrix6X out(6, static_cast<Eigen::Index>(model.nv()));
  if (auto ok = frame_jacobian_time_variation(model, data, q, v, frame_id, kind, out); !ok) {
    return std::unexpected(ok.error());
  }
  return out;
}

}  // namespace kinetra
