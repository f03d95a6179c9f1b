#include "kinetra/model/forward_kinematics.hpp"

#include <type_traits>

#include "kinetra/model/joint_motion.hpp"
#include "kinetra/spatial/rotation.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

namespace {

// Each joint's own placement and its world placement oMi = oMi[parent] * rest * own; a joint
// turning about one axis has the cosine and sine of its angle worked out once for both. Along a
// chain (parent i - 1) the parent's placement is carried over from the step before.
KINETRA_AVX2_CLONES KINETRA_FLATTEN void place_joints(const Model& model, Data& data,
                                                      const ConfigurationRef& q) {
  const std::size_t n = model.njoints();
  data.joint_placements.resize(n);
  SE3 world_from_last = data.joint_placements[0] = SE3::identity();
  for (std::size_t i = 1; i < n; ++i) {
    const double* qi = q.data() + model.idx_q(i);
    const SE3 parent_from_this = model.joint_models()[i].visit([&](const auto& joint) {
      using Joint = std::remove_cvref_t<decltype(joint)>;
      if constexpr (requires { Joint::cos_sin(qi); }) {
        const auto [c, s] = Joint::cos_sin(qi);
        data.joint_data[i].set_placement(
            {rotation_about_unit_axis(joint.motion_axis().u, c, s), Vector3D::Zero()});
        return model.joint_terms()[i].turned(c, s);
      } else {
        data.joint_data[i].set_placement(joint.transform(qi));
        return parent_from_joint(model, i, joint, qi);
      }
    });
    const std::size_t parent = model.joint_parents()[i];
    if (parent != i - 1) world_from_last = data.joint_placements[parent];
    data.joint_placements[i] = world_from_last = world_from_last * parent_from_this;
  }
}

}  // namespace

std::expected<void, AlgorithmError> forward_kinematics(const Model& model, Data& data,
                                                       const ConfigurationRef& q) {
  return checked(model, data, q, {}, [&] { place_joints(model, data, q); });
}

}  // namespace kinetra
