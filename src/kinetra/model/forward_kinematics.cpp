#include "kinetra/model/forward_kinematics.hpp"

#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

namespace {

// Each joint's own placement, then world placements outward.
KINETRA_AVX2_CLONES void place_joints(const Model& model, Data& data, const ConfigurationRef& q) {
  const std::size_t n = model.njoints();
  // q holds every joint's values: each update succeeds
  for (std::size_t i = 0; i < n; ++i) {
    const JointModel& joint = model.joint_models()[i];
    (void)data.joint_data[i].update(joint, q.segment(static_cast<Eigen::Index>(model.idx_q(i)),
                                                     static_cast<Eigen::Index>(joint.nq())));
  }
  data.joint_placements.resize(n);
  data.joint_placements[0] = SE3::identity();
  for (std::size_t j = 1; j < n; ++j) {
    const SE3& world_from_parent = data.joint_placements[model.joint_parents()[j]];
    data.joint_placements[j] =
        world_from_parent * model.joint_placements()[j] * data.joint_data[j].placement();
  }
}

}  // namespace

std::expected<void, AlgorithmError> forward_kinematics(const Model& model, Data& data,
                                                       const ConfigurationRef& q) {
  return checked(model, data, q, {}, [&] { place_joints(model, data, q); });
}

}  // namespace kinetra
