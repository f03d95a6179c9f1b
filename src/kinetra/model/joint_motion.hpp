#pragma once

#include <cstddef>

#include "kinetra/model/model.hpp"

namespace kinetra {

// Placement of joint i's frame in its parent joint's frame for q: rest placement * motion(q_i).
inline SE3 parent_from_joint(const Model& model, std::size_t i, const ConfigurationRef& q) {
  const JointModel& joint = model.joint_models()[i];
  return joint.transform_after(
      model.joint_placements()[i],
      q.segment(static_cast<Eigen::Index>(model.idx_q(i)), static_cast<Eigen::Index>(joint.nq())));
}

// sum_k x[offset + k] S_k over the joint's axes S_k: its velocity or acceleration in its frame.
inline SpatialMotion joint_motion(const JointModel& joint, const ConfigurationRef& x,
                                  std::size_t offset) {
  SpatialMotion m = SpatialMotion::Zero();
  const auto axes = joint.axes();
  for (std::size_t k = 0; k < axes.size(); ++k) {
    m += x[static_cast<Eigen::Index>(offset + k)] * axes[k];
  }
  return m;
}

}  // namespace kinetra
