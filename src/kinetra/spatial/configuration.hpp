#pragma once

#include <Eigen/Core>
#include <cstddef>
#include <expected>
#include <numbers>
#include <span>
#include <string>

#include "kinetra/export.hpp"
#include "kinetra/spatial/random.hpp"

namespace kinetra {

// Joint-space vector: positions q (nq), velocities, accelerations and efforts (nv).
using Configuration = Eigen::VectorXd;
// A read-only view of joint-space values: a Configuration, or contiguous values held elsewhere.
using ConfigurationRef = Eigen::Ref<const Configuration>;

// A vector whose length does not match what the model requires.
struct KINETRA_API ConfigurationError {
  std::string parameter;
  std::size_t expected;
  std::size_t actual;

  static ConfigurationError invalid_size(std::string parameter, std::size_t expected,
                                         std::size_t actual) {
    return {std::move(parameter), expected, actual};
  }
  std::string display() const;
};

// Checks that `values` holds exactly `expected` entries.
KINETRA_API std::expected<void, ConfigurationError> check_size(const char* parameter,
                                                               std::size_t expected,
                                                               std::size_t actual);

// Bounds that admit no sample: lower >= upper, or a NaN bound.
struct EmptyRangeError {
  static constexpr const char* message = "cannot sample empty range";
  std::string joint;  // set by the model-level sampling

  // the message, then " of joint 'name'" when the joint is known
  std::string display() const {
    return joint.empty() ? message : std::string(message) + " of joint '" + joint + "'";
  }
};

// One value uniform in [lower, upper). An infinite bound is replaced by the finite one moved by
// `span` (both infinite: [-span, span)); widths beyond the largest double are handled.
KINETRA_API std::expected<double, EmptyRangeError> sample_uniform(
    double lower, double upper, Rng& rng, double span = 2.0 * std::numbers::pi);

// Entry-wise sample between `lower` and `upper` (both of length n).
KINETRA_API std::expected<Configuration, EmptyRangeError> sample_uniform(
    const Configuration& lower, const Configuration& upper, Rng& rng,
    double span = 2.0 * std::numbers::pi);

// Entry-wise sample for revolute and prismatic coordinates: an infinite bound reads as -reach or
// +reach. Where that leaves the range empty or reversed (a finite bound at or beyond reach on the
// infinite side), the window of `reach` from the finite bound is sampled instead.
KINETRA_API std::expected<Configuration, EmptyRangeError> sample_within_reach(
    const Configuration& lower, const Configuration& upper, Rng& rng,
    double reach = 2.0 * std::numbers::pi);

// The entries of every part, in order.
KINETRA_API Configuration concat(std::span<const Configuration> parts);

}  // namespace kinetra
