#include "kinetra/model/mass_matrix.hpp"

#include "kinetra/inertia/origin_inertia.hpp"
#include "kinetra/model/joint_motion.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

static_assert(max_joint_nv == 1, "the composite-body sweep handles single-axis joints");

// In world coordinates a subtree's composite inertia is the plain sum of its bodies' inertias,
// and M(i, j) = S_j^T (Ic_i S_i) for every ancestor j of i needs no transform along the path.
KINETRA_AVX2_CLONES std::expected<Eigen::MatrixXd, AlgorithmError> crba(const Model& model,
                                                                        Data& data,
                                                                        const ConfigurationRef& q) {
  if (auto ok = check_arguments(model, data, q); !ok) return std::unexpected(ok.error());
  Workspace& ws = data.workspace;
  const std::size_t n = model.njoints();
  ws.world_from_joint[0] = SE3::identity();
  for (std::size_t i = 1; i < n; ++i) {
    const SE3 world_from_this =
        ws.world_from_joint[model.joint_parents()[i]] * parent_from_joint(model, i, q);
    ws.world_from_joint[i] = world_from_this;
    with_motion_axis(model.joint_models()[i],
                     [&](const auto& axis) { ws.motion_axis[i] = axis.act(world_from_this); });
    ws.composite_inertia[i] = OriginInertia(model.inertias()[i].act(world_from_this));
  }
  // composite inertia Ic of each subtree
  for (std::size_t i = n - 1; i > 0; --i) {
    const std::size_t parent = model.joint_parents()[i];
    if (parent != 0) ws.composite_inertia[parent] += ws.composite_inertia[i];
  }

  const auto nv = static_cast<Eigen::Index>(model.nv());
  Eigen::MatrixXd mass = Eigen::MatrixXd::Zero(nv, nv);
  for (std::size_t i = 1; i < n; ++i) {
    if (model.joint_models()[i].axes().empty()) continue;
    const auto row = static_cast<Eigen::Index>(model.idx_v(i));
    // the force that accelerating joint i alone asks of its subtree
    const SpatialForce f = ws.composite_inertia[i] * ws.motion_axis[i];
    mass(row, row) = ws.motion_axis[i].dot(f);
    for (std::size_t j = model.joint_parents()[i]; j != 0; j = model.joint_parents()[j]) {
      if (model.joint_models()[j].axes().empty()) continue;
      const auto col = static_cast<Eigen::Index>(model.idx_v(j));
      mass(row, col) = mass(col, row) = ws.motion_axis[j].dot(f);
    }
  }
  return mass;
}

}  // namespace kinetra
