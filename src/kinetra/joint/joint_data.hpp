#pragma once

#include <expected>

#include <Eigen/Core>

#include "kinetra/export.hpp"
#include "kinetra/joint/joint_error.hpp"
#include "kinetra/joint/joint_type.hpp"
#include "kinetra/spatial/se3.hpp"

namespace kinetra {

class JointModel;

// The configuration values of one joint: a view, typically a segment of a model-sized q.
using JointConfiguration = Eigen::Ref<const Eigen::VectorXd>;

// Per-evaluation state of one joint: its placement for the configuration last applied.
class KINETRA_API JointData {
 public:
  explicit JointData(JointType type) : type_(type) {}

  JointType type() const { return type_; }
  const SE3& placement() const { return placement_; }

  // Checks that q has the length of `model`, a joint of this data's kind (fixed data accepts
  // anything), then stores the placement for q. On error nothing changes.
  std::expected<void, JointError> update(const JointModel& model, const JointConfiguration& q);
  // Stores a placement a sweep has already formed for q (unchecked).
  void set_placement(const SE3& placement) { placement_ = placement; }

 private:
  JointType type_;
  SE3 placement_;
};

}  // namespace kinetra
