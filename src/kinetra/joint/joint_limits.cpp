#include "kinetra/joint/joint_limits.hpp"

#include <limits>

namespace kinetra {

JointLimits JointLimits::unbounded(std::size_t nq, std::size_t nv) {
  const double inf = std::numeric_limits<double>::infinity();
  const Configuration speeds = Configuration::Constant(static_cast<Eigen::Index>(nv), inf);
  const auto n = static_cast<Eigen::Index>(nq);
  return {speeds, speeds, Configuration::Constant(n, -inf), Configuration::Constant(n, inf)};
}

std::optional<std::size_t> first_bound_out_of_order(const ConfigurationRef& lower,
                                                    const ConfigurationRef& upper) {
  for (Eigen::Index i = 0; i < lower.size(); ++i) {
    if (!(lower[i] <= upper[i])) return static_cast<std::size_t>(i);
  }
  return std::nullopt;
}

std::optional<std::size_t> first_negative_or_nan(const ConfigurationRef& values) {
  for (Eigen::Index i = 0; i < values.size(); ++i) {
    if (!(values[i] >= 0.0)) return static_cast<std::size_t>(i);
  }
  return std::nullopt;
}

}  // namespace kinetra
