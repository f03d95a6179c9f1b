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
    const bool open_below = lower[i] <= -INFINITY, open_above = upper[i] >= INFINITY;
    double low = open_below ? -reach : lower[i];
    double high = open_above ? reach : upper[i];
    // one infinite bound and the other at or beyond reach: the window from the other (a NaN
    // bound stays NaN, and empty)
    if (!(low < high) && open_below != open_above) {
      if (open_above) {
        high = lower[i] + reach;
      } else {
        low = upper[i] - reach;
      }
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
