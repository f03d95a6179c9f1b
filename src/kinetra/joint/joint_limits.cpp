#include "kinetra/joint/joint_limits.hpp"

#include <limits>

namespace kinetra {

JointLimits JointLimits::unbounded(std::size_t nq) {
  const auto n = static_cast<Eigen::Index>(nq);
  const double inf = std::numeric_limits<double>::infinity();
  const Configuration upper = Configuration::Constant(n, inf);
  return {upper, upper, Configuration::Constant(n, -inf), upper};
}

}  // namespace kinetra
