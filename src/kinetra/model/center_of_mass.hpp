#pragma once

#include <expected>

#include "kinetra/export.hpp"
#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

using Matrix3X = Eigen::Matrix<double, 3, Eigen::Dynamic>;
// caller storage of 3 x nv, either storage order
using Matrix3XRef = Eigen::Ref<Matrix3X, 0, Eigen::Stride<Eigen::Dynamic, Eigen::Dynamic>>;

// Mass of every body, those welded to the world included.
KINETRA_API double total_mass(const Model& model);

// World centre of mass of every body (welded ones too, unlike centroidal_momentum's) for q, after
// forward kinematics on q. A model without mass is an error; on error the data is unchanged.
KINETRA_API std::expected<Vector3D, AlgorithmError> center_of_mass(const Model& model, Data& data,
                                                                   const ConfigurationRef& q);

// d com / dt = J v: J (3 x nv) into `out`, after forward kinematics on q.
KINETRA_API std::expected<void, AlgorithmError> center_of_mass_jacobian(const Model& model,
                                                                        Data& data,
                                                                        const ConfigurationRef& q,
                                                                        Matrix3XRef out);
KINETRA_API std::expected<Matrix3X, AlgorithmError> center_of_mass_jacobian(
    const Model& model, Data& data, const ConfigurationRef& q);

}  // namespace kinetra
