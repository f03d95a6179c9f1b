#include "kinetra/model/forward_kinematics.hpp"

#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

KINETRA_AVX2_CLONES std::expected<void, AlgorithmError> forward_kinematics(
    const Model& model, Data& data, const ConfigurationRef& q) {
  if (auto ok = check_arguments(model, data, q); !ok) return ok;
  const std::size_t n = model.njoints();
  for (std::size_t i = 0; i < n; ++i) {
    const JointModel& joint = model.joint_models()[i];
    auto updated =
        data.joint_data[i].update(joint, q.segment(static_cast<Eigen::Index>(model.idx_q(i)),
                                                   static_cast<Eigen::Index>(joint.nq())));
    if (!updated) return std::unexpected(updated.error());
  }
  data.joint_placements.resize(n);
  data.joint_placements[0] = SE3::identity();
  for (std::size_t j = 1; j < n; ++j) {
    const SE3& world_from_parent = data.joint_placements[model.joint_parents()[j]];
    data.joint_placements[j] =
        world_from_parent * model.joint_placements()[j] * data.joint_data[j].placement();
  }
  return {};
}

}  // namespace kinetra
