#include "kinetra/model/mass_matrix.hpp"

#include <algorithm>
#include <cassert>
#include <type_traits>

#include "kinetra/inertia/origin_inertia.hpp"
#include "kinetra/model/forward_pass.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

namespace {

// Columns of joint i's nv dofs. Each dof r asks F = Ic_i S_r of the subtree; M(r, c) = S_c^T F
// for r itself and every dof c before it on the path to the root, which ws.dof_parent links (-1
// past the root).
template <int nv>
void joint_rows(const Model& model, Workspace& ws, std::size_t i,
                Eigen::Ref<Eigen::MatrixXd>& mass) {
  const auto first = static_cast<Eigen::Index>(model.idx_v(i));
  const Eigen::Index above = ws.last_dof[model.joint_parents()[i]];
  ws.last_dof[i] = nv > 0 ? first + nv - 1 : above;
  for (Eigen::Index r = first; r < first + nv; ++r) {
    ws.dof_parent[static_cast<std::size_t>(r)] = r == first ? above : r - 1;
    const SpatialForce f = ws.composite_inertia[i] * ws.dof_motion[static_cast<std::size_t>(r)];
    mass(r, r) = ws.dof_motion[static_cast<std::size_t>(r)].dot(f);
    for (Eigen::Index c = ws.dof_parent[static_cast<std::size_t>(r)]; c >= 0;
         c = ws.dof_parent[static_cast<std::size_t>(c)]) {
      mass(r, c) = mass(c, r) = ws.dof_motion[static_cast<std::size_t>(c)].dot(f);
    }
  }
}

// In world coordinates a subtree's composite inertia is the plain sum of its bodies' inertias,
// and M(r, c) = S_c^T (Ic_i S_r) for a dof r of joint i and every dof c of i or an ancestor needs
// no transform along the path.
KINETRA_AVX2_CLONES void composite_rigid_body(const Model& model, Workspace& ws,
                                              const ConfigurationRef& q,
                                              Eigen::Ref<Eigen::MatrixXd> mass) {
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

  // entries of dofs on separate branches stay zero; contiguous storage is cleared at once
  if (mass.outerStride() == mass.rows()) {
    std::fill_n(mass.data(), mass.size(), 0.0);
  } else {
    mass.setZero();
  }
  ws.last_dof[0] = -1;
  for (std::size_t i = 1; i < n; ++i) {
    model.joint_models()[i].visit([&](const auto& joint) {
      joint_rows<static_cast<int>(std::remove_cvref_t<decltype(joint)>::nv)>(model, ws, i, mass);
    });
  }
}

}  // namespace

std::expected<void, AlgorithmError> crba(const Model& model, Data& data, const ConfigurationRef& q,
                                         Eigen::Ref<Eigen::MatrixXd> mass) {
  assert(static_cast<std::size_t>(mass.rows()) == model.nv() && mass.rows() == mass.cols());
  return checked(model, data, q, {}, [&] { composite_rigid_body(model, data.workspace, q, mass); });
}

std::expected<Eigen::MatrixXd, AlgorithmError> crba(const Model& model, Data& data,
                                                    const ConfigurationRef& q) {
  const auto nv = static_cast<Eigen::Index>(model.nv());
  // left for the sweep to clear: allocated and cleared together, it becomes a slower calloc
  Eigen::MatrixXd mass(nv, nv);
  if (auto ok = crba(model, data, q, mass); !ok) return std::unexpected(std::move(ok.error()));
  return mass;
}

}  // namespace kinetra
