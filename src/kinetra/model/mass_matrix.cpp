#include "kinetra/model/mass_matrix.hpp"

#include "kinetra/model/joint_motion.hpp"

namespace kinetra {

std::expected<Eigen::MatrixXd, AlgorithmError> crba(const Model& model, Data& data,
                                                    const ConfigurationRef& q) {
  if (auto ok = check_arguments(model, data, q); !ok) return std::unexpected(ok.error());
  Workspace& ws = data.workspace;
  const std::size_t n = model.njoints();
  for (std::size_t i = 1; i < n; ++i) {
    ws.parent_from_joint[i] = parent_from_joint(model, i, q);
    ws.composite_inertia[i] = model.inertias()[i];
  }
  // composite inertia of each subtree, in its root joint's frame
  for (std::size_t i = n - 1; i > 0; --i) {
    const std::size_t parent = model.joint_parents()[i];
    if (parent != 0) {
      ws.composite_inertia[parent] += ws.composite_inertia[i].act(ws.parent_from_joint[i]);
    }
  }

  const auto nv = static_cast<Eigen::Index>(model.nv());
  Eigen::MatrixXd mass = Eigen::MatrixXd::Zero(nv, nv);
  for (std::size_t i = 1; i < n; ++i) {
    const auto axes = model.joint_models()[i].axes();
    for (std::size_t k = 0; k < axes.size(); ++k) {
      const auto row = static_cast<Eigen::Index>(model.idx_v(i) + k);
      // the force that accelerating axis k alone asks of the subtree, carried to each ancestor
      SpatialForce f = ws.composite_inertia[i] * axes[k];
      for (std::size_t l = k; l < axes.size(); ++l) {
        const auto col = static_cast<Eigen::Index>(model.idx_v(i) + l);
        mass(row, col) = mass(col, row) = axes[l].dot(f);
      }
      for (std::size_t j = i; model.joint_parents()[j] != 0;) {
        f = ws.parent_from_joint[j].act_force(f);
        j = model.joint_parents()[j];
        const auto ancestor_axes = model.joint_models()[j].axes();
        for (std::size_t l = 0; l < ancestor_axes.size(); ++l) {
          const auto col = static_cast<Eigen::Index>(model.idx_v(j) + l);
          mass(row, col) = mass(col, row) = ancestor_axes[l].dot(f);
        }
      }
    }
  }
  return mass;
}

}  // namespace kinetra
