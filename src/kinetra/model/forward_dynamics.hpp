#pragma once

#include <expected>

#include "kinetra/export.hpp"
#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

// Joint accelerations a with rnea(q, v, a) == tau, by the articulated-body algorithm. q, v, tau
// must hold exactly nq, nv, nv values. The data's observable state is neither read nor changed.
// A joint whose subtree has no inertia along its axis (a singular mass matrix) gets a
// non-finite acceleration.
KINETRA_API std::expected<Configuration, AlgorithmError> aba(const Model& model, Data& data,
                                                             const ConfigurationRef& q,
                                                             const ConfigurationRef& v,
                                                             const ConfigurationRef& tau);
// The same into `ddq` (nv values), allocating nothing; on error `ddq` is unchanged.
KINETRA_API std::expected<void, AlgorithmError> aba(const Model& model, Data& data,
                                                    const ConfigurationRef& q,
                                                    const ConfigurationRef& v,
                                                    const ConfigurationRef& tau,
                                                    Eigen::Ref<Configuration> ddq);

}  // namespace kinetra
