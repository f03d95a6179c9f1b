#include "kinetra/model/model.hpp"

#include "kinetra/spatial/debug.hpp"

namespace kinetra {

namespace {

// The name lookups of the indexes.
struct JointNames {
  const std::vector<std::string>& names;
  std::string_view operator()(std::size_t id) const { return names[id]; }
};
struct FrameNames {
  const std::vector<Frame>& frames;
  std::string_view operator()(std::size_t id) const { return frames[id].name; }
};

std::expected<void, LimitsError> check_length(std::size_t expected, ConfigurationRef values) {
  const auto actual = static_cast<std::size_t>(values.size());
  if (actual == expected) return {};
  return std::unexpected(LimitsError{LimitsError::Kind::WrongSize, expected, actual});
}

std::expected<void, LimitsError> check_speeds_or_efforts(std::size_t expected,
                                                         ConfigurationRef values) {
  if (auto checked = check_length(expected, values); !checked) return checked;
  if (const auto i = first_negative_or_nan(values)) {
    return std::unexpected(LimitsError{LimitsError::Kind::NegativeOrNaN, expected, *i});
  }
  return {};
}

}  // namespace

const Vector3D& standard_gravity() {
  static const Vector3D gravity(0.0, 0.0, -9.81);
  return gravity;
}

Model::Model(std::string name)
    : name_(std::move(name)),
      joint_names_{"__WORLD__"},
      joint_parents_{0},
      joint_placements_{SE3::identity()},
      joint_models_{JointModel::fixed()},
      joint_terms_{JointTerms()},
      inertias_{Inertia::zeros()},
      frames_{Frame{"__WORLD_FRAME__", 0, 0, SE3::identity(), FrameType::Fixed, Inertia::zeros()}},
      idx_q_{0},
      idx_v_{0},
      gravity_(standard_gravity()) {
  joint_ids_.insert(joint_names_[0], 0, JointNames{joint_names_});
  frame_ids_[static_cast<std::size_t>(FrameType::Fixed)].insert(frames_[0].name, 0,
                                                                FrameNames{frames_});
}

Configuration Model::gather_limits(Configuration JointLimits::*field, bool per_velocity) const {
  Configuration values(static_cast<Eigen::Index>(per_velocity ? nv_ : nq_));
  for (std::size_t i = 0; i < njoints(); ++i) {
    const JointModel& joint = joint_models_[i];
    const auto count = static_cast<Eigen::Index>(per_velocity ? joint.nv() : joint.nq());
    const auto start = static_cast<Eigen::Index>(per_velocity ? idx_v_[i] : idx_q_[i]);
    values.segment(start, count) = (joint.limits().*field).head(count);
  }
  return values;
}

void Model::scatter_limits(Configuration JointLimits::*field, bool per_velocity,
                           ConfigurationRef values) {
  for (std::size_t i = 0; i < njoints(); ++i) {
    JointModel& joint = joint_models_[i];
    const auto count = static_cast<Eigen::Index>(per_velocity ? joint.nv() : joint.nq());
    const auto start = static_cast<Eigen::Index>(per_velocity ? idx_v_[i] : idx_q_[i]);
    (joint.limits().*field).head(count) = values.segment(start, count);
  }
}

Configuration Model::lower_position_limits() const {
  return gather_limits(&JointLimits::min_configuration, false);
}
Configuration Model::upper_position_limits() const {
  return gather_limits(&JointLimits::max_configuration, false);
}
Configuration Model::velocity_limits() const {
  return gather_limits(&JointLimits::max_velocity, true);
}
Configuration Model::effort_limits() const { return gather_limits(&JointLimits::max_effort, true); }

std::expected<void, LimitsError> Model::set_position_limits(ConfigurationRef lower,
                                                            ConfigurationRef upper) {
  if (auto checked = check_length(nq_, lower); !checked) return checked;
  if (auto checked = check_length(nq_, upper); !checked) return checked;
  if (const auto i = first_bound_out_of_order(lower, upper)) {
    return std::unexpected(LimitsError{LimitsError::Kind::LowerAboveUpper, nq_, *i});
  }
  scatter_limits(&JointLimits::min_configuration, false, lower);
  scatter_limits(&JointLimits::max_configuration, false, upper);
  return {};
}

std::expected<void, LimitsError> Model::set_velocity_limits(ConfigurationRef values) {
  if (auto checked = check_speeds_or_efforts(nv_, values); !checked) return checked;
  scatter_limits(&JointLimits::max_velocity, true, values);
  return {};
}

std::expected<void, LimitsError> Model::set_effort_limits(ConfigurationRef values) {
  if (auto checked = check_speeds_or_efforts(nv_, values); !checked) return checked;
  scatter_limits(&JointLimits::max_effort, true, values);
  return {};
}

void Model::reserve(std::size_t joints, std::size_t frames) {
  joint_names_.reserve(joints);
  joint_parents_.reserve(joints);
  joint_placements_.reserve(joints);
  joint_models_.reserve(joints);
  joint_terms_.reserve(joints);
  inertias_.reserve(joints);
  idx_q_.reserve(joints);
  idx_v_.reserve(joints);
  joint_ids_.reserve(joints);
  frames_.reserve(frames);
}

std::expected<std::size_t, ModelError> Model::add_joint(std::size_t parent, JointModel joint,
                                                        const SE3& placement, std::string name) {
  if (parent >= njoints()) return std::unexpected(ModelError::parent_joint_does_not_exist(parent));
  compiled_.reset();
  const std::size_t id = njoints();
  if (const auto existing = joint_ids_.insert(name, id, JointNames{joint_names_})) {
    return std::unexpected(ModelError::joint_name_already_used(std::move(name), *existing));
  }
  idx_q_.push_back(nq_);
  idx_v_.push_back(nv_);
  nq_ += joint.nq();
  nv_ += joint.nv();
  if (joint.has_quaternion()) quaternion_joints_.push_back(id);
  if (joint.has_cos_sin_pair()) cos_sin_joints_.push_back(id);
  joint_names_.push_back(std::move(name));
  joint_parents_.push_back(parent);
  joint_placements_.push_back(placement);
  joint_terms_.emplace_back(placement, joint);
  joint_models_.push_back(std::move(joint));
  inertias_.push_back(Inertia::zeros());
  return id;
}

std::expected<std::size_t, ModelError> Model::add_frame(Frame frame, bool append_inertia) {
  if (frame.parent_joint >= njoints()) {
    return std::unexpected(ModelError::parent_joint_does_not_exist(frame.parent_joint));
  }
  auto& ids = frame_ids_[static_cast<std::size_t>(frame.frame_type)];
  if (const auto existing = ids.insert(frame.name, frames_.size(), FrameNames{frames_})) {
    return *existing;
  }
  if (append_inertia) {
    compiled_.reset();
    inertias_[frame.parent_joint] += frame.inertia.act(frame.placement);
  }
  frames_.push_back(std::move(frame));
  return frames_.size() - 1;
}

std::optional<std::size_t> Model::get_frame_id(std::string_view name,
                                               std::optional<FrameType> type) const {
  const FrameNames names{frames_};
  if (type) return frame_ids_[static_cast<std::size_t>(*type)].find(name, names);
  // the first frame of any type is the first of the types' first frames
  std::optional<std::size_t> first;
  for (const NameIndex& ids : frame_ids_) {
    if (const auto found = ids.find(name, names); found && (!first || *found < *first)) {
      first = found;
    }
  }
  return first;
}

std::optional<std::size_t> Model::get_joint_id(std::string_view name) const {
  return joint_ids_.find(name, JointNames{joint_names_});
}

Data Model::create_data() const {
  Data data;
  data.joint_data.reserve(njoints());
  for (const auto& joint : joint_models_) data.joint_data.push_back(joint.create_data());
  data.joint_placements.assign(njoints(), SE3::identity());
  data.resize(njoints(), nv());
  return data;
}

DebugValue debug_value(const Model& model) {
  std::vector<DebugValue> names, parents, placements;
  for (const auto& name : model.joint_names()) names.push_back(DebugValue::string(name));
  for (std::size_t parent : model.joint_parents()) parents.push_back(DebugValue::integer(parent));
  for (const auto& placement : model.joint_placements())
    placements.push_back(debug_value(placement));
  return DebugValue::record("Model",
                            {{"name", DebugValue::string(model.name())},
                             {"joint_names", DebugValue::list(std::move(names))},
                             {"joint_parents", DebugValue::list(std::move(parents))},
                             {"joint_placements", DebugValue::list(std::move(placements))}});
}

}  // namespace kinetra
