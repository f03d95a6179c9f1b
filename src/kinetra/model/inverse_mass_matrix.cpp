#include "kinetra/model/inverse_mass_matrix.hpp"

#include <cassert>
#include <type_traits>

#include "kinetra/inertia/origin_inertia.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

namespace {

template <int nv>
using Subspace = Eigen::Matrix<double, 6, nv>;

// The 6 x `count` columns of joint i's propagated block from dof `first` on.
auto propagated(DerivativeWorkspace& ws, std::size_t i, std::size_t nv, Eigen::Index first,
                Eigen::Index count) {
  return ws.propagated.middleCols(static_cast<Eigen::Index>(i * nv) + first, count);
}

// Inward, as aba with tau = unit vectors: the rows of joint i get D^-1 (1 - S^T F_i) over the
// columns from its first dof on, where F_i holds the forces its subtree's efforts put on it; the
// parent receives F_i + U D^-1 (1 - S^T F_i) and IA - U D^-1 U^T.
template <int nv>
void articulate(const Model& model, DerivativeWorkspace& ws, std::size_t i,
                DerivativeMatrixRef& inverse) {
  const std::size_t parent = model.joint_parents()[i], total = model.nv();
  const auto first = static_cast<Eigen::Index>(model.idx_v(i));
  const Eigen::Index count = static_cast<Eigen::Index>(total) - first;
  const SpatialTransform& inertia = ws.composite_inertia[i];
  if constexpr (nv == 0) {
    if (parent == 0) return;
    ws.composite_inertia[parent] += inertia;
    propagated(ws, parent, total, first, count) += propagated(ws, i, total, first, count);
  } else {
    const Eigen::Map<const Subspace<nv>> s(ws.dof_motion[static_cast<std::size_t>(first)].data());
    const Subspace<nv> u_mat = inertia * s;
    const Eigen::Matrix<double, nv, nv> d_inv = (s.transpose() * u_mat).inverse();
    Eigen::Map<Subspace<nv>>(ws.dof_inertia_times_motion[static_cast<std::size_t>(first)].data()) =
        u_mat;
    ws.inverse_joint_inertia[i].topLeftCorner<nv, nv>() = d_inv;
    auto rows = inverse.block(first, first, nv, count);
    rows.noalias() = -d_inv * (s.transpose() * propagated(ws, i, total, first, count));
    rows.template leftCols<nv>() += d_inv;
    if (parent == 0) return;
    ws.composite_inertia[parent] += inertia - u_mat * d_inv * u_mat.transpose();
    auto into = propagated(ws, parent, total, first, count);
    into += propagated(ws, i, total, first, count);
    into.noalias() += u_mat * rows;
  }
}

// Outward: the rows lose D^-1 U^T P_parent, where P holds the accelerations the efforts give the
// parent, and P_i = P_parent + S rows.
template <int nv>
void accelerate(const Model& model, DerivativeWorkspace& ws, std::size_t i,
                DerivativeMatrixRef& inverse) {
  const std::size_t parent = model.joint_parents()[i], total = model.nv();
  const auto first = static_cast<Eigen::Index>(model.idx_v(i));
  const Eigen::Index count = static_cast<Eigen::Index>(total) - first;
  auto into = propagated(ws, i, total, first, count);
  if (parent == 0) {
    into.setZero();
  } else {
    into = propagated(ws, parent, total, first, count);
  }
  if constexpr (nv > 0) {
    const auto dof = static_cast<std::size_t>(first);
    const Eigen::Map<const Subspace<nv>> s(ws.dof_motion[dof].data());
    const Eigen::Map<const Subspace<nv>> u_mat(ws.dof_inertia_times_motion[dof].data());
    auto rows = inverse.block(first, first, nv, count);
    if (parent != 0) {
      const Eigen::Matrix<double, nv, nv> d_inv =
          ws.inverse_joint_inertia[i].topLeftCorner<nv, nv>();
      rows.noalias() -= d_inv * (u_mat.transpose() * into);
    }
    into.noalias() += s * rows;
  }
}

}  // namespace

KINETRA_AVX2_CLONES void inverse_mass_sweep(const Model& model, DerivativeWorkspace& ws,
                                            DerivativeMatrixRef inverse) {
  const std::size_t n = model.njoints(), total = model.nv();
  for (std::size_t i = 1; i < n; ++i) {
    ws.composite_inertia[i] =
        OriginInertia(model.inertias()[i].act(ws.world_from_joint[i])).matrix();
    const auto first = static_cast<Eigen::Index>(model.idx_v(i));
    propagated(ws, i, total, first, static_cast<Eigen::Index>(total) - first).setZero();
  }
  for (std::size_t i = n - 1; i > 0; --i) {
    model.joint_models()[i].visit([&](const auto& joint) {
      articulate<static_cast<int>(std::remove_cvref_t<decltype(joint)>::nv)>(model, ws, i,
                                                                             inverse);
    });
  }
  for (std::size_t i = 1; i < n; ++i) {
    model.joint_models()[i].visit([&](const auto& joint) {
      accelerate<static_cast<int>(std::remove_cvref_t<decltype(joint)>::nv)>(model, ws, i,
                                                                             inverse);
    });
  }
  // each row holds the columns from its joint's first dof on; the rest by symmetry
  for (Eigen::Index r = 1; r < inverse.rows(); ++r) {
    for (Eigen::Index c = 0; c < r; ++c) inverse(r, c) = inverse(c, r);
  }
}

std::expected<void, AlgorithmError> inverse_mass_matrix(const Model& model, Data& data,
                                                        const ConfigurationRef& q,
                                                        DerivativeMatrixRef inverse) {
  assert(static_cast<std::size_t>(inverse.rows()) == model.nv() &&
         inverse.rows() == inverse.cols());
  return checked(model, data, q, {}, [&] {
    DerivativeWorkspace& ws = data.derivatives;
    ws.resize(model);
    derivative_kinematics(model, ws, q, nullptr, nullptr);
    inverse_mass_sweep(model, ws, inverse);
  });
}

std::expected<DerivativeMatrix, AlgorithmError> inverse_mass_matrix(const Model& model, Data& data,
                                                                    const ConfigurationRef& q) {
  const auto nv = static_cast<Eigen::Index>(model.nv());
  DerivativeMatrix inverse(nv, nv);
  if (auto ok = inverse_mass_matrix(model, data, q, inverse); !ok) {
    return std::unexpected(std::move(ok.error()));
  }
  return inverse;
}

}  // namespace kinetra
