#include "kinetra/spatial/configuration.hpp"

#include <cmath>
#include <numbers>

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

std::expected<double, EmptyRangeError> sample_uniform(double lower, double upper, Rng& rng) {
  constexpr double two_pi = 2.0 * std::numbers::pi;
  if (lower <= -INFINITY) lower = -two_pi;
  if (upper >= INFINITY) upper = two_pi;
  const double width = upper - lower;
  if (!(lower < upper) || !std::isfinite(width)) return std::unexpected(EmptyRangeError{});
  const double x = lower + uniform01(rng) * width;
  // rounding may land on the open upper end
  return x < upper ? x : std::nextafter(upper, lower);
}

std::expected<Configuration, EmptyRangeError> sample_uniform(const Configuration& lower,
                                                             const Configuration& upper, Rng& rng) {
  Configuration out(lower.size());
  for (Eigen::Index i = 0; i < lower.size(); ++i) {
    auto x = sample_uniform(lower[i], upper[i], rng);
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
