#include "kinetra/model/forward_kinematics.hpp"

#include "kinetra/model/kinematics_kernel.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

namespace {

KINETRA_AVX2_CLONES KINETRA_FLATTEN void place_joints(const Model& model, Data& data,
                                                      const ConfigurationRef& q) {
  const std::size_t n = model.njoints();
  kernel::forward_kinematics(model.compiled(), q.data(), data.own_placements.data(),
                             data.world_placements.data());
  data.joint_placements.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    data.joint_data[i].set_placement(data.own_placements[i].se3());
    data.joint_placements[i] = data.world_placements[i].se3();
  }
}

}  // namespace

std::expected<void, AlgorithmError> forward_kinematics(const Model& model, Data& data,
                                                       const ConfigurationRef& q) {
  return checked(model, data, q, {}, [&] { place_joints(model, data, q); });
}

}  // namespace kinetra
