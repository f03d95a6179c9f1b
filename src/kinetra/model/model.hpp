#pragma once

#include <array>
#include <cstddef>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kinetra/export.hpp"
#include "kinetra/inertia/inertia.hpp"
#include "kinetra/joint/joint_model.hpp"
#include "kinetra/model/compiled_model.hpp"
#include "kinetra/model/data.hpp"
#include "kinetra/model/frame.hpp"
#include "kinetra/model/joint_terms.hpp"
#include "kinetra/model/model_error.hpp"
#include "kinetra/model/name_index.hpp"
#include "kinetra/model/reduced_coordinates.hpp"
#include "kinetra/spatial/se3.hpp"
#include "kinetra/spatial/text.hpp"

namespace kinetra {

// (0, 0, -9.81)
KINETRA_API const Vector3D& standard_gravity();

// A tree of joints with the bodies they carry and named frames. Joint 0 is the world joint
// "__WORLD__", frame 0 the world frame "__WORLD_FRAME__"; a joint's parent precedes it.
class KINETRA_API Model {
 public:
  Model() : Model(std::string()) {}
  explicit Model(std::string name);

  const std::string& name() const { return name_; }
  void set_name(std::string name) { name_ = std::move(name); }

  const std::vector<std::string>& joint_names() const { return joint_names_; }
  const std::vector<std::size_t>& joint_parents() const { return joint_parents_; }
  // rest placement of joint i in its parent joint's frame
  const std::vector<SE3>& joint_placements() const { return joint_placements_; }
  const std::vector<JointModel>& joint_models() const { return joint_models_; }
  // joint i's placement in its parent for its q, as terms the sweeps combine cheaply
  const std::vector<JointTerms>& joint_terms() const { return joint_terms_; }
  // body inertia carried by joint i, in joint i's frame
  const std::vector<Inertia>& inertias() const { return inertias_; }
  // the body is to be changed through the reference before the model is next used
  Inertia& inertia(std::size_t joint) {
    compiled_.reset();
    return inertias_[joint];
  }
  const std::vector<Frame>& frames() const { return frames_; }
  // name and frame type must stay unchanged: they are indexed
  Frame& frame(std::size_t id) { return frames_[id]; }

  std::size_t nq() const { return nq_; }
  std::size_t nv() const { return nv_; }
  const Vector3D& gravity() const { return gravity_; }
  void set_gravity(const Vector3D& gravity) {
    compiled_.reset();
    gravity_ = gravity;
  }
  std::size_t njoints() const { return joint_names_.size(); }
  std::size_t nframes() const { return frames_.size(); }

  // Offsets of joint i's entries in q (nq-sized) and in v, a, tau (nv-sized).
  std::size_t idx_q(std::size_t joint) const { return idx_q_[joint]; }
  std::size_t idx_v(std::size_t joint) const { return idx_v_[joint]; }
  // The joints whose configuration holds a quaternion, in order.
  const std::vector<std::size_t>& quaternion_joints() const { return quaternion_joints_; }
  // The joints whose (cos, sin) pair is checked like a quaternion (planar joints).
  const std::vector<std::size_t>& cos_sin_joints() const { return cos_sin_joints_; }

  // Every joint's position bounds in q order (length nq).
  Configuration lower_position_limits() const;
  Configuration upper_position_limits() const;
  // Every joint's speed and effort bounds in v order (length nv).
  Configuration velocity_limits() const;
  Configuration effort_limits() const;
  // Replace them; refused, leaving the model unchanged, on a length other than nq (positions)
  // or nv, or on a lower bound above its upper bound (or either NaN).
  std::expected<void, LimitsError> set_position_limits(ConfigurationRef lower,
                                                       ConfigurationRef upper);
  std::expected<void, LimitsError> set_velocity_limits(ConfigurationRef values);
  std::expected<void, LimitsError> set_effort_limits(ConfigurationRef values);

  // Room for this many joints and frames in all, so that adding them allocates less.
  void reserve(std::size_t joints, std::size_t frames);

  // Appends a joint with zero inertia; returns its id.
  std::expected<std::size_t, ModelError> add_joint(std::size_t parent, JointModel joint,
                                                   const SE3& placement, std::string name);
  // Appends a frame and returns its id; a frame of the same name and type already present is
  // returned instead (nothing added or folded). With append_inertia the frame's inertia is
  // merged into its parent joint's body.
  std::expected<std::size_t, ModelError> add_frame(Frame frame, bool append_inertia);

  // First frame with this name (and this type, when given).
  std::optional<std::size_t> get_frame_id(std::string_view name,
                                          std::optional<FrameType> type = std::nullopt) const;
  std::optional<std::size_t> get_joint_id(std::string_view name) const;

  // A workspace matching this model: one joint data per joint, identity world placements.
  Data create_data() const;

  // The model as flat arrays for the sweeps, built on first use after a change.
  const CompiledModel& compiled() const { return compiled_.get(*this); }
  // Joints whose coordinate follows another joint's. The sweeps run on the full tree; callers
  // of the reduced coordinates map through these (empty: none).
  const ReducedCoordinates& reduced_coordinates() const { return reduced_; }
  // Makes these joints follow their references and drops their position limits; refused,
  // leaving the model unchanged, as ReducedCoordinates::make says.
  std::expected<void, MimicError> set_mimic_joints(std::vector<MimicJoint> mimics);

 private:
  std::string name_;
  std::vector<std::string> joint_names_;
  std::vector<std::size_t> joint_parents_;
  std::vector<SE3> joint_placements_;
  std::vector<JointModel> joint_models_;
  std::vector<JointTerms> joint_terms_;
  std::vector<Inertia> inertias_;
  std::vector<Frame> frames_;
  std::vector<std::size_t> idx_q_;
  std::vector<std::size_t> idx_v_;
  std::vector<std::size_t> quaternion_joints_;
  std::vector<std::size_t> cos_sin_joints_;
  std::size_t nq_ = 0;
  std::size_t nv_ = 0;
  Vector3D gravity_;

  // one bound of every joint gathered into, or scattered from, a model-wide vector: `field`
  // of each joint's limits, nq or nv (the first entries) of them per joint
  Configuration gather_limits(Configuration JointLimits::*field, bool per_velocity) const;
  void scatter_limits(Configuration JointLimits::*field, bool per_velocity,
                      ConfigurationRef values);
  // id of each joint name, and the first frame id of each name per frame type
  NameIndex joint_ids_;
  std::array<NameIndex, 5> frame_ids_;
  CompiledModelCache compiled_;
  ReducedCoordinates reduced_;
};

// Model { name: "..", joint_names: [..], joint_parents: [..], joint_placements: [SE3(..), ..] }
KINETRA_API DebugValue debug_value(const Model& model);

}  // namespace kinetra
