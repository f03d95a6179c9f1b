#pragma once

#include <Eigen/Core>
#include <expected>

#include "kinetra/export.hpp"
#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

// The joint-space inertia matrix M(q) (nv x nv, both triangles filled) by the composite
// rigid-body algorithm. The data's observable state is neither read nor changed.
KINETRA_API std::expected<Eigen::MatrixXd, AlgorithmError> crba(const Model& model, Data& data,
                                                                const ConfigurationRef& q);
// The same into `mass` (nv x nv), allocating nothing; on error `mass` is unchanged.
KINETRA_API std::expected<void, AlgorithmError> crba(const Model& model, Data& data,
                                                     const ConfigurationRef& q,
                                                     Eigen::Ref<Eigen::MatrixXd> mass);

}  // namespace kinetra
