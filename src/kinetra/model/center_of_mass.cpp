#include "kinetra/model/center_of_mass.hpp"

#include <cassert>

#include "kinetra/model/forward_kinematics.hpp"
#include "kinetra/model/joint_motion.hpp"

namespace kinetra {
namespace {

// Checks q and that something weighs, then runs forward kinematics, which checks the data.
std::expected<void, AlgorithmError> prepare(const Model& model, Data& data,
                                            const ConfigurationRef& q) {
  if (auto ok = check_configuration(model, q); !ok) return ok;
  if (!(total_mass(model) > 0.0)) return std::unexpected(NoMassError{});
  return forward_kinematics(model, data, q);
}

// m c of body i in world coordinates.
Vector3D mass_moment(const Model& model, const Data& data, std::size_t i) {
  const Inertia& body = model.inertias()[i];
  return body.mass * data.joint_placements[i].act_point(body.com);
}

}  // namespace

double total_mass(const Model& model) {
  double mass = 0.0;
  for (const Inertia& body : model.inertias()) mass += body.mass;
  return mass;
}

std::expected<Vector3D, AlgorithmError> center_of_mass(const Model& model, Data& data,
                                                       const ConfigurationRef& q) {
  if (auto ok = prepare(model, data, q); !ok) return std::unexpected(ok.error());
  Vector3D moment = Vector3D::Zero();
  for (std::size_t i = 0; i < model.njoints(); ++i) moment += mass_moment(model, data, i);
  return moment / total_mass(model);
}

std::expected<void, AlgorithmError> center_of_mass_jacobian(const Model& model, Data& data,
                                                            const ConfigurationRef& q,
                                                            Matrix3XRef out) {
  assert(out.rows() == 3 && static_cast<std::size_t>(out.cols()) == model.nv());
  if (auto ok = prepare(model, data, q); !ok) return ok;
  Workspace& ws = data.workspace;
  for (std::size_t i = 0; i < model.njoints(); ++i) {
    ws.subtree_mass[i] = model.inertias()[i].mass;
    ws.subtree_mass_moment[i] = mass_moment(model, data, i);
  }
  for (std::size_t i = model.njoints() - 1; i > 0; --i) {
    ws.subtree_mass[model.joint_parents()[i]] += ws.subtree_mass[i];
    ws.subtree_mass_moment[model.joint_parents()[i]] += ws.subtree_mass_moment[i];
  }
  // a column S = (w; u) at the world origin moves the subtree's com c by u + w x c, weighted by
  // the subtree's share of the mass: (M_s u + w x (M_s c)) / M
  const double inverse_mass = 1.0 / ws.subtree_mass[0];
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    for_each_motion_column(model.joint_models()[i], data.joint_placements[i],
                           [&](std::size_t k, const SpatialMotion& s) {
                             const Vector3D w = s.head<3>();
                             out.col(static_cast<Eigen::Index>(model.idx_v(i) + k)) =
                                 inverse_mass * (ws.subtree_mass[i] * s.tail<3>() +
                                                 w.cross(ws.subtree_mass_moment[i]));
                           });
  }
  return {};
}

std::expected<Matrix3X, AlgorithmError> center_of_mass_jacobian(const Model& model, Data& data,
                                                                const ConfigurationRef& q) {
  Matrix3X out(3, static_cast<Eigen::Index>(model.nv()));
  if (auto ok = center_of_mass_jacobian(model, data, q, out); !ok) {
    return std::unexpected(ok.error());
  }
  return out;
}

}  // namespace kinetra
