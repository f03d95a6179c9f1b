#include "kinetra/joint/joint_limits.hpp"

#include <limits>

namespace kinetra {

JointLimits JointLimits::unbounded(std::size_t nq, std::size_t nv) {
  const double inf = std::numeric_limits<double>::infinity();
  const Configuration speeds = Configuration::Constant(static_cast<Eigen::Index>(nv), inf);
  const auto n = static_cast<Eigen::Index>(nq);
  return {speeds, speeds, Configuration::Constant(n, -inf), Configuration::Constant(n, inf)};
}

}  // namespace kinetra
