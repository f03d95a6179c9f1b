#pragma once

#include <cstddef>
#include <expected>
#include <string>
#include <variant>

#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra {

struct InverseKinematicsOptions {
  bool position_only = false;        // reach the target's translation, any orientation
  double tolerance = 1e-6;           // success once |error| <= tolerance
  std::size_t max_iterations = 200;  // per run
  double damping = 1e-6;             // the least damping of every step
  std::size_t restarts = 0;          // further runs from random configurations after a failed one
};

struct InverseKinematicsResult {
  Configuration q;  // within the position limits
  bool success = false;
  Eigen::VectorXd error;       // log6(oMf(q)^-1 target) in frame axes, or target - position (world)
  std::size_t iterations = 0;  // every run's
};

// A target or option the solver refuses.
struct InverseKinematicsArgumentError {
  std::string message;
  std::string display() const { return message; }
};

using InverseKinematicsError = std::variant<AlgorithmError, InverseKinematicsArgumentError>;

// The neutral configuration with each angle or position bounded on both sides at the middle of
// its range: a start away from the limits (the neutral one may sit on them).
Configuration inverse_kinematics_start(const Model& model);

// Refuses a non-finite target or tolerance, a non-positive tolerance and a negative or non-finite
// damping. (inverse_kinematics also refuses a non-finite q0.)
std::expected<void, InverseKinematicsArgumentError> check_inverse_kinematics_request(
    const SE3& target, const InverseKinematicsOptions& options);

// A configuration placing frame `frame_id` at `target` (its origin at target.translation when
// position_only), by damped least squares (Levenberg-Marquardt) in the tangent space: each step
// moves q through integrate and back inside the position limits. The first run starts from q0
// (brought inside the limits); a run that stalls or ends without success is followed, up to
// `restarts` times, by one from random_configuration(model, rng). Unreached: success is false and
// q the best configuration found. Uses data as workspace (joint placements of the result's q).
std::expected<InverseKinematicsResult, InverseKinematicsError> inverse_kinematics(
    const Model& model, Data& data, std::size_t frame_id, const SE3& target,
    const ConfigurationRef& q0, const InverseKinematicsOptions& options, Rng& rng);

}  // namespace kinetra
