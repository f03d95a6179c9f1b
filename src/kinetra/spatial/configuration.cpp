#include "kinetra/spatial/configuration.hpp"

#include <cmath>

namespace kinetra {

std::string ConfigurationError::display() const {
  return "Parameter '" + parameter + "' expected configuration size " + std::to_string(expected) +
         ", but got " + std::to_string(actual);
}

std::expected<void, ConfigurationError> check_size(const char* parameter, std::size_t expected,
                                                   std::size_t actual) {
  if (expected == actual) return {};
  return std::unexpected(ConfigurationError::invalid_size(parameter, expected, actual));
}

std::expected<double, EmptyRangeError> sample_uniform(double lower, double upper, Rng& rng,
                                                      double span) {
  if (lower <= -INFINITY && upper >= INFINITY) {
    lower = -span;
    upper = span;
  } else if (lower <= -INFINITY) {
    lower = upper - span;
  } else if (upper >= INFINITY) {
    upper = lower + span;
  }
  if (!(lower < upper)) return std::unexpected(EmptyRangeError{});
  const double u = uniform01(rng);
  const double width = upper - lower;
  // a width beyond the largest double: blend the bounds instead
  const double x = std::isfinite(width) ? lower + u * width : (1.0 - u) * lower + u * upper;
  // rounding may land on the open upper end
  return x < upper ? x : std::nextafter(upper, lower);
}

std::expected<Configuration, EmptyRangeError> sample_uniform(const Configuration& lower,
                                                             const Configuration& upper, Rng& rng,
                                                             double span) {
  Configuration out(lower.size());
  for (Eigen::Index i = 0; i < lower.size(); ++i) {
    auto x = sample_uniform(lower[i], upper[i], rng, span);
    if (!x) return std::unexpected(x.error());
    out[i] = *x;
  }
  return out;
}

std::expected<Configuration, EmptyRangeError> sample_within_reach(const Configuration& lower,
                                                                  const Configuration& upper,
                                                                  Rng& rng, double reach) {
  Configuration out(lower.size());
  for (Eigen::Index i = 0; i < lower.size(); ++i) {
    double low = lower[i] <= -INFINITY ? -reach : lower[i];
    double high = upper[i] >= INFINITY ? reach : upper[i];
    if (!(low < high) && std::isfinite(lower[i]) != std::isfinite(upper[i])) {
      // one finite bound beyond reach: its own window
      if (std::isfinite(lower[i])) high = lower[i] + reach;
      if (std::isfinite(upper[i])) low = upper[i] - reach;
    }
    auto x = sample_uniform(low, high, rng);
    if (!x) return std::unexpected(x.error());
    out[i] = *x;
  }
  return out;
}

Configuration concat(std::span<const Configuration> parts) {
  Eigen::Index n = 0;
  for (const auto& p : parts) n += p.size();
  Configuration out(n);
  Eigen::Index offset = 0;
  for (const auto& p : parts) {
    out.segment(offset, p.size()) = p;
    offset += p.size();
  }
  return out;
}

}  // namespace kinetra
