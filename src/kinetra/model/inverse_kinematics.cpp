#include "kinetra/model/inverse_kinematics.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>
#include <vector>

#include "kinetra/model/configurations.hpp"
#include "kinetra/model/frames.hpp"
#include "kinetra/model/jacobians.hpp"
#include "kinetra/spatial/exponential_maps.hpp"

namespace kinetra {
namespace {

// The step of a run: dq = G^T (G G^T + lambda I)^-1 e, G = de/dq the error's Jacobian in the
// tangent space, lambda = nu (|e|^2 + damping). nu starts at 1, shrinks after a step that lowers
// |e| (towards Gauss-Newton steps, which also cross directions the robot moves along only
// slowly) and grows after one that does not, which is then taken again, shorter, from the same q.
constexpr double shrink = 0.5, grow = 4.0, stalled_nu = 1e8;
// lambda stays above this, so that directions G cannot move along get no huge step
constexpr double least_lambda = 1e-12;
// A run also stalls when `window` iterations lower |e| by less than this factor.
constexpr std::size_t window = 20;
constexpr double least_progress = 0.999;

class Solver {
 public:
  Solver(const Model& model, Data& data, std::size_t frame_id, const SE3& target,
         const InverseKinematicsOptions& options)
      : model_(model),
        data_(data),
        frame_id_(frame_id),
        target_(target),
        options_(options),
        lower_(model.lower_position_limits()),
        upper_(model.upper_position_limits()),
        jacobian_(6, static_cast<Eigen::Index>(model.nv())) {
    for (std::size_t i = 1; i < model.njoints(); ++i) {
      const JointModel& joint = model.joint_models()[i];
      if (joint.nq() == 1 && joint.nv() == 1) {
        bounded_.push_back({static_cast<Eigen::Index>(model.idx_v(i)),
                            static_cast<Eigen::Index>(model.idx_q(i)),
                            joint.type() == JointType::Revolute});
      }
    }
  }

  // One run from `start`, with its own iteration count.
  InverseKinematicsResult run(const ConfigurationRef& start) {
    Point current = evaluate(inside_limits(start));
    InverseKinematicsResult out;
    double nu = 1.0, reference = current.norm;
    for (std::size_t it = 1; current.norm > options_.tolerance && it <= options_.max_iterations;
         ++it) {
      out.iterations = it;
      const double lambda =
          std::max(nu * (current.norm * current.norm + options_.damping), least_lambda);
      // a step overflowing on a huge error counts as one that does not lower it
      const Eigen::VectorXd step = step_within_limits(current, lambda);
      std::optional<Point> candidate;
      if (step.allFinite())
        candidate = evaluate(inside_limits(*integrate(model_, current.q, step)));
      if (candidate && candidate->norm < current.norm) {
        current = std::move(*candidate);
        nu *= shrink;
      } else if ((nu *= grow) > stalled_nu) {
        break;
      }
      if (it % window == 0) {
        if (current.norm > least_progress * reference) break;
        reference = current.norm;
      }
    }
    out.q = std::move(current.q);
    out.error = std::move(current.error);
    out.success = current.norm <= options_.tolerance;
    return out;
  }

 private:
  // a coordinate with one value in q and in v: a revolute angle or a prismatic position
  struct Bounded {
    Eigen::Index v, q;
    bool revolute;
  };
  struct Point {
    Configuration q;
    Eigen::VectorXd error;
    Eigen::MatrixXd gradient;
    double norm;
  };

  // G^T (G G^T + lambda I)^-1 e over the free coordinates; a coordinate the step would carry
  // past a bound is held there instead (its share of the error moved to the others), until no
  // free one would cross
  Eigen::VectorXd step_within_limits(const Point& p, double lambda) const {
    const Eigen::Index m = p.error.size();
    Eigen::MatrixXd free = p.gradient;
    Eigen::VectorXd rhs = p.error;
    Eigen::VectorXd held = Eigen::VectorXd::Zero(free.cols());
    Eigen::VectorXd out;
    for (std::size_t round = 0; round <= bounded_.size(); ++round) {
      const Eigen::MatrixXd normal =
          free * free.transpose() + lambda * Eigen::MatrixXd::Identity(m, m);
      out = free.transpose() * normal.ldlt().solve(rhs) + held;
      bool crossed = false;
      for (const Bounded& b : bounded_) {
        const double wanted = turned_inside(b, p.q[b.q] + out[b.v]);
        const double reached = std::clamp(wanted, lower_[b.q], upper_[b.q]);
        if (reached == wanted || free.col(b.v).isZero(0.0)) continue;
        held[b.v] = reached - p.q[b.q];
        rhs -= free.col(b.v) * held[b.v];
        free.col(b.v).setZero();
        crossed = true;
      }
      if (!crossed) break;
    }
    return out;
  }

  // the angle turned by whole turns into its bounds when it is revolute and fits there
  double turned_inside(const Bounded& b, double value) const {
    constexpr double turn = 2.0 * std::numbers::pi;
    const double lower = lower_[b.q], upper = upper_[b.q];
    if (!b.revolute || (value >= lower && value <= upper)) return value;
    const double turned = value > upper ? value - turn * std::ceil((value - upper) / turn)
                                        : value + turn * std::ceil((lower - value) / turn);
    return turned >= lower && turned <= upper ? turned : value;
  }

  // q inside its bounds: revolute angles turned into them when they fit, the rest clamped
  Configuration inside_limits(const ConfigurationRef& q) const {
    Configuration out = q;
    for (const Bounded& b : bounded_) out[b.q] = turned_inside(b, out[b.q]);
    return out.cwiseMax(lower_).cwiseMin(upper_);
  }

  // The error at q and its Jacobian; frame id and q were checked.
  Point evaluate(Configuration q) {
    Point p{std::move(q), {}, {}, 0.0};
    if (options_.position_only) {
      (void)frame_jacobian(model_, data_, p.q, frame_id_, JacobianKind::Geometric, jacobian_);
      p.error = target_.translation - world_from_frame(model_, data_, frame_id_).translation;
      p.gradient = jacobian_.bottomRows<3>();
    } else {
      // e = log6(M^-1 T); M -> M exp(J dq) moves it by -jlog6(T^-1 M) J dq
      (void)frame_jacobian(model_, data_, p.q, frame_id_, JacobianKind::Body, jacobian_);
      const SE3 frame_from_target = world_from_frame(model_, data_, frame_id_).inverse() * target_;
      p.error = log6(frame_from_target);
      p.gradient = jlog6(frame_from_target.inverse()) * jacobian_;
    }
    p.norm = p.error.norm();
    return p;
  }

  const Model& model_;
  Data& data_;
  std::size_t frame_id_;
  const SE3& target_;
  const InverseKinematicsOptions& options_;
  Configuration lower_, upper_;
  std::vector<Bounded> bounded_;
  Matrix6X jacobian_;
};

bool all_finite(const SE3& m) { return m.rotation.allFinite() && m.translation.allFinite(); }

}  // namespace

Configuration inverse_kinematics_start(const Model& model) {
  Configuration q = *neutral(model);
  const Configuration lower = model.lower_position_limits(), upper = model.upper_position_limits();
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    const JointModel& joint = model.joint_models()[i];
    const auto at = static_cast<Eigen::Index>(model.idx_q(i));
    if (joint.nq() == 1 && joint.nv() == 1 && std::isfinite(lower[at]) &&
        std::isfinite(upper[at])) {
      q[at] = 0.5 * lower[at] + 0.5 * upper[at];
    }
  }
  return q;
}

std::expected<void, InverseKinematicsArgumentError> check_inverse_kinematics_request(
    const SE3& target, const InverseKinematicsOptions& options) {
  if (!all_finite(target))
    return std::unexpected(InverseKinematicsArgumentError{"the target must be finite"});
  if (!(std::isfinite(options.tolerance) && options.tolerance > 0.0)) {
    return std::unexpected(
        InverseKinematicsArgumentError{"tolerance must be a positive finite number"});
  }
  if (!(std::isfinite(options.damping) && options.damping >= 0.0)) {
    return std::unexpected(
        InverseKinematicsArgumentError{"damping must be a non-negative finite number"});
  }
  return {};
}

std::expected<InverseKinematicsResult, InverseKinematicsError> inverse_kinematics(
    const Model& model, Data& data, std::size_t frame_id, const SE3& target,
    const ConfigurationRef& q0, const InverseKinematicsOptions& options, Rng& rng) {
  if (auto ok = check_inverse_kinematics_request(target, options); !ok) {
    return std::unexpected(ok.error());
  }
  if (auto ok = check_frame_id(model, frame_id); !ok) return std::unexpected(ok.error());
  if (auto ok = check_arguments(model, data, q0); !ok) return std::unexpected(ok.error());
  if (!q0.allFinite()) return std::unexpected(InverseKinematicsArgumentError{"q0 must be finite"});
  Solver solver(model, data, frame_id, target, options);
  InverseKinematicsResult best = solver.run(q0);
  std::size_t iterations = best.iterations;
  for (std::size_t r = 0; r < options.restarts && !best.success; ++r) {
    const auto start = random_configuration(model, rng);
    if (!start) break;
    InverseKinematicsResult next = solver.run(*start);
    iterations += next.iterations;
    if (next.error.norm() < best.error.norm()) best = std::move(next);
  }
  best.iterations = iterations;
  return best;
}

}  // namespace kinetra
