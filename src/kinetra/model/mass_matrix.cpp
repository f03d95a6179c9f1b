#include "kinetra/model/mass_matrix.hpp"

#include "kinetra/inertia/origin_inertia.hpp"
#include "kinetra/model/forward_pass.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

namespace {

// In world coordinates a subtree's composite inertia is the plain sum of its bodies' inertias,
// and M(r, c) = S_c^T (Ic_i S_r) for a dof r of joint i and every dof c of i or an ancestor needs
// no transform along the path.
KINETRA_AVX2_CLONES Eigen::MatrixXd composite_rigid_body(const Model& model, Workspace& ws,
                                                         const ConfigurationRef& q) {
  const std::size_t n = model.njoints();
  world_forward_pass(model, ws, q, nullptr);
  for (std::size_t i = 1; i < n; ++i) {
    ws.composite_inertia[i] = OriginInertia(model.inertias()[i].act(ws.world_from_joint[i]));
  }
  // composite inertia Ic of each subtree
  for (std::size_t i = n - 1; i > 0; --i) {
    const std::size_t parent = model.joint_parents()[i];
    if (parent != 0) ws.composite_inertia[parent] += ws.composite_inertia[i];
  }

  const auto nv = static_cast<Eigen::Index>(model.nv());
  Eigen::MatrixXd mass = Eigen::MatrixXd::Zero(nv, nv);
  for (std::size_t i = 1; i < n; ++i) {
    const std::size_t first = model.idx_v(i), count = model.joint_models()[i].nv();
    for (std::size_t r = first; r < first + count; ++r) {
      const auto row = static_cast<Eigen::Index>(r);
      // the force that accelerating dof r alone asks of joint i's subtree
      const SpatialForce f = ws.composite_inertia[i] * ws.dof_motion[r];
      for (std::size_t c = first; c <= r; ++c) {
        const auto col = static_cast<Eigen::Index>(c);
        mass(row, col) = mass(col, row) = ws.dof_motion[c].dot(f);
      }
      for (std::size_t j = model.joint_parents()[i]; j != 0; j = model.joint_parents()[j]) {
        const std::size_t above = model.idx_v(j);
        for (std::size_t c = above; c < above + model.joint_models()[j].nv(); ++c) {
          const auto col = static_cast<Eigen::Index>(c);
          mass(row, col) = mass(col, row) = ws.dof_motion[c].dot(f);
        }
      }
    }
  }
  return mass;
}

}  // namespace

std::expected<Eigen::MatrixXd, AlgorithmError> crba(const Model& model, Data& data,
                                                    const ConfigurationRef& q) {
  return checked(model, data, q, {},
                 [&] { return composite_rigid_body(model, data.workspace, q); });
}

}  // namespace kinetra
