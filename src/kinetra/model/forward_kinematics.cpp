#include "kinetra/model/forward_kinematics.hpp"

#include "kinetra/model/kinematics_kernel.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

namespace {

KINETRA_AVX2_CLONES KINETRA_FLATTEN void place_joints(const Model& model, Data& data,
                                                      const ConfigurationRef& q) {
  data.joint_placements.resize(model.njoints());
  kernel::forward_kinematics(model.compiled(), q.data(), data.joint_placements.data(),
                             [&](std::size_t i, const kernel::Placement<double>& own) {
                               data.joint_data[i].set_placement(own.se3());
                             });
}

}  // namespace

std::expected<void, AlgorithmError> forward_kinematics(const Model& model, Data& data,
                                                       const ConfigurationRef& q) {
  return checked(model, data, q, {}, [&] { place_joints(model, data, q); });
}

}  // namespace kinetra
