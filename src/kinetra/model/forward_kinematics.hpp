#pragma once

#include <expected>

#include "kinetra/export.hpp"
#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

// Updates every joint's data with its slice of q and sets data.joint_placements[j] to the world
// placement of joint j: oMi[j] = oMi[parent] * rest placement[j] * transform_j(q_j).
// q must hold exactly nq values; on error the data is unchanged.
KINETRA_API std::expected<void, AlgorithmError> forward_kinematics(const Model& model, Data& data,
                                                                   const ConfigurationRef& q);

}  // namespace kinetra
