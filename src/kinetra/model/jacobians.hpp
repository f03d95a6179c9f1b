#pragma once

#include <cstddef>
#include <expected>

#include "kinetra/export.hpp"
#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

// The twist a frame Jacobian maps joint velocities to; six-vectors are (angular; linear).
enum class JacobianKind {
  Geometric,  // the frame's angular velocity and its origin's velocity, world axes
  Body,       // the frame's twist in its own axes
  Spatial,    // the frame's twist in world axes, taken at the world origin
};

using Matrix6X = Eigen::Matrix<double, 6, Eigen::Dynamic>;
// caller storage of 6 x nv, either storage order
using Matrix6XRef = Eigen::Ref<Matrix6X, 0, Eigen::Stride<Eigen::Dynamic, Eigen::Dynamic>>;

// Every function below runs forward kinematics on q first (data.joint_placements are those
// of q afterwards); on error the data is unchanged.

// J (6 x nv) with J v the frame's twist of `kind`, into `out`.
KINETRA_API std::expected<void, AlgorithmError> frame_jacobian(const Model& model, Data& data,
                                                               const ConfigurationRef& q,
                                                               std::size_t frame_id,
                                                               JacobianKind kind, Matrix6XRef out);
KINETRA_API std::expected<Matrix6X, AlgorithmError> frame_jacobian(const Model& model, Data& data,
                                                                   const ConfigurationRef& q,
                                                                   std::size_t frame_id,
                                                                   JacobianKind kind);

// The frame's twist of `kind` for (q, v): J v.
KINETRA_API std::expected<SpatialMotion, AlgorithmError> frame_velocity(
    const Model& model, Data& data, const ConfigurationRef& q, const ConfigurationRef& v,
    std::size_t frame_id, JacobianKind kind);

// The time derivative of that twist along (q, v, a): J a + dJ/dt v. For Geometric, the angular
// acceleration and the classical acceleration of the frame origin.
KINETRA_API std::expected<SpatialMotion, AlgorithmError> frame_acceleration(
    const Model& model, Data& data, const ConfigurationRef& q, const ConfigurationRef& v,
    const ConfigurationRef& a, std::size_t frame_id, JacobianKind kind);

// dJ/dt (6 x nv) of the frame Jacobian of `kind` along (q, v), into `out`.
KINETRA_API std::expected<void, AlgorithmError> frame_jacobian_time_variation(
    const Model& model, Data& data, const ConfigurationRef& q, const ConfigurationRef& v,
    std::size_t frame_id, JacobianKind kind, Matrix6XRef out);
KINETRA_API std::expected<Matrix6X, AlgorithmError> frame_jacobian_time_variation(
    const Model& model, Data& data, const ConfigurationRef& q, const ConfigurationRef& v,
    std::size_t frame_id, JacobianKind kind);

}  // namespace kinetra
