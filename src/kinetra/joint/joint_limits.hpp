#pragma once

#include <cstddef>

#include "kinetra/spatial/configuration.hpp"

namespace kinetra {

// Per-coordinate limits of one joint, each of the joint's nq length.
struct JointLimits {
  Configuration max_effort;
  Configuration max_velocity;
  Configuration min_configuration;
  Configuration max_configuration;

  // +inf efforts, speeds and upper bounds, -inf lower bounds.
  static JointLimits unbounded(std::size_t nq);
};

}  // namespace kinetra
