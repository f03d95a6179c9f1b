#include "kinetra/model/forward_pass.hpp"

#include "kinetra/model/joint_motion.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

KINETRA_AVX2_CLONES KINETRA_FLATTEN void world_forward_pass(const Model& model, Workspace& ws,
                                                            const ConfigurationRef& q,
                                                            const ConfigurationRef* v) {
  ws.world_from_joint[0] = SE3::identity();
  ws.velocity[0].setZero();
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    const std::size_t parent = model.joint_parents()[i], first = model.idx_v(i);
    const double* values = q.data() + model.idx_q(i);
    // one dispatch per joint: placement, motion columns and velocity together
    model.joint_models()[i].visit([&](const auto& kind) {
      const SE3 world_from_this =
          ws.world_from_joint[parent] * parent_from_joint(model, i, kind, values);
      ws.world_from_joint[i] = world_from_this;
      SpatialMotion joint_velocity = SpatialMotion::Zero();  // S qd
      for_each_motion_column(kind, world_from_this, [&](std::size_t k, const SpatialMotion& s) {
        ws.dof_motion[first + k] = s;
        if (v) joint_velocity += (*v)[static_cast<Eigen::Index>(first + k)] * s;
      });
      if (!v) return;
      const SpatialMotion vi = ws.velocity[parent] + joint_velocity;
      ws.velocity[i] = vi;
      ws.bias_acceleration[i] = motion_cross_motion(vi, joint_velocity);
    });
  }
}

}  // namespace kinetra
