#pragma once

#include <cstddef>

#include "kinetra/export.hpp"
#include "kinetra/spatial/configuration.hpp"

namespace kinetra {

// Limits of one joint: efforts and speeds per velocity coordinate (nv), bounds per
// configuration value (nq).
struct KINETRA_API JointLimits {
  Configuration max_effort;
  Configuration max_velocity;
  Configuration min_configuration;
  Configuration max_configuration;

  // +inf efforts, speeds and upper bounds, -inf lower bounds.
  static JointLimits unbounded(std::size_t nq, std::size_t nv);
};

}  // namespace kinetra
