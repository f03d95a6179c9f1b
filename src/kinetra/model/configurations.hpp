#pragma once

#include <expected>

#include "kinetra/model/model.hpp"
#include "kinetra/spatial/configuration.hpp"

namespace kinetra {

// Every joint's neutral values, in joint order (length nq).
std::expected<Configuration, ConfigurationError> neutral(const Model& model);

// Every joint's random configuration, drawn in joint order from `rng` (length nq).
std::expected<Configuration, EmptyRangeError> random_configuration(const Model& model, Rng& rng);

}  // namespace kinetra
