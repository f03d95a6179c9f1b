#pragma once

#include <cstddef>
#include <optional>

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

// The first index where lower <= upper fails (a NaN bound fails), if any.
KINETRA_API std::optional<std::size_t> first_bound_out_of_order(const ConfigurationRef& lower,
                                                    const ConfigurationRef& upper);
// The first negative or NaN speed or effort limit, if any.
KINETRA_API std::optional<std::size_t> first_negative_or_nan(const ConfigurationRef& values);

}  // namespace kinetra
