#include <gtest/gtest.h>

#include <functional>

#include "kinetra/model/algorithms.hpp"
#include "kinetra/model/derivatives.hpp"
#include "random_tree.hpp"

namespace kinetra {
namespace {

using Matrix = DerivativeMatrix;
using Map = std::function<Configuration(const Configuration&)>;

constexpr double step = 1e-5;

// Central differences of f at x along each unit vector moved by `move` (integrate for q, plus
// otherwise), the outputs compared by `minus` (difference for configurations).
Matrix central(const Map& f, const Configuration& x, std::size_t columns,
               const std::function<Configuration(const Configuration&, const Configuration&)>& move,
               const std::function<Configuration(const Configuration&, const Configuration&)>& minus) {
  const Configuration nominal = f(x);
  Matrix out;
  for (std::size_t k = 0; k < columns; ++k) {
    const Configuration e = step * Configuration::Unit(static_cast<Eigen::Index>(columns),
                                                       static_cast<Eigen::Index>(k));
    const Configuration column =
        (minus(nominal, f(move(x, e))) - minus(nominal, f(move(x, -e)))) / (2 * step);
    if (k == 0) out.resize(column.size(), static_cast<Eigen::Index>(columns));
    out.col(static_cast<Eigen::Index>(k)) = column;
  }
  return out;
}

Configuration plus(const Configuration& x, const Configuration& e) { return x + e; }
Configuration vector_minus(const Configuration& a, const Configuration& b) { return b - a; }

void expect_close(const Matrix& analytic, const Matrix& numeric, const char* what) {
  const double scale = std::max(1.0, numeric.cwiseAbs().maxCoeff());
  EXPECT_LE((analytic - numeric).cwiseAbs().maxCoeff() / scale, 1e-6) << what << "\n"
                                                                       << analytic << "\n\n"
                                                                       << numeric;
}

// Random trees of every joint kind, fixed at the world or on a floating root.
class Derivatives : public ::testing::TestWithParam<std::tuple<int, bool>> {
 protected:
  void SetUp() override {
    const auto [seed, floating] = GetParam();
    rng.seed(static_cast<std::uint64_t>(seed));
    const std::size_t joints = 3 + static_cast<std::size_t>(seed) % 6;
    model = floating ? testing::floating_base_tree(rng, joints) : testing::random_tree(rng, joints);
    data = model.create_data();
    q = testing::random_q(model, rng);
    v = testing::random_v(model, rng);
    a = testing::random_v(model, rng);
    nv = model.nv();
  }

  Configuration along_q(const Configuration& at, const Configuration& e) const {
    return *integrate(model, at, e);
  }
  Configuration between(const Configuration& q0, const Configuration& q1) const {
    return *difference(model, q0, q1);
  }
  auto move_q() const {
    return [this](const Configuration& at, const Configuration& e) { return along_q(at, e); };
  }
  auto minus_q() const {
    return [this](const Configuration& q0, const Configuration& q1) { return between(q0, q1); };
  }

  Rng rng;
  Model model;
  Data data;
  Configuration q, v, a;
  std::size_t nv = 0;
};

TEST_P(Derivatives, InverseDynamicsMatchCentralDifferencesAndTheMassMatrix) {
  const auto d = *rnea_derivatives(model, data, q, v, a);
  const Map by_q = [&](const Configuration& x) { return *rnea(model, data, x, v, a); };
  const Map by_v = [&](const Configuration& x) { return *rnea(model, data, q, x, a); };
  expect_close(d.by_q, central(by_q, q, nv, move_q(), vector_minus), "dtau/dq");
  expect_close(d.by_v, central(by_v, v, nv, plus, vector_minus), "dtau/dv");
  EXPECT_TRUE(d.by_input.isApprox(Matrix(*crba(model, data, q)), 1e-12));
}

TEST_P(Derivatives, ForwardDynamicsMatchCentralDifferencesAndTheInverseMassMatrix) {
  const auto d = *aba_derivatives(model, data, q, v, a);
  const Map by_q = [&](const Configuration& x) { return *aba(model, data, x, v, a); };
  const Map by_v = [&](const Configuration& x) { return *aba(model, data, q, x, a); };
  const Map by_tau = [&](const Configuration& x) { return *aba(model, data, q, v, x); };
  expect_close(d.by_q, central(by_q, q, nv, move_q(), vector_minus), "dqdd/dq");
  expect_close(d.by_v, central(by_v, v, nv, plus, vector_minus), "dqdd/dv");
  expect_close(d.by_input, central(by_tau, a, nv, plus, vector_minus), "dqdd/dtau");
  const Matrix mass = *crba(model, data, q), inverse = *inverse_mass_matrix(model, data, q);
  // to the rounding the mass matrix's conditioning allows
  const double condition = mass.norm() * inverse.norm();
  EXPECT_LT((inverse * mass - Matrix::Identity(mass.rows(), mass.cols())).norm(),
            1e-12 * condition);
  EXPECT_TRUE(inverse.isApprox(d.by_input, 1e-12));
  // dqdd/dq = -M^-1 dtau/dq at a = aba(q, v, tau)
  const auto inverse_dynamics = *rnea_derivatives(model, data, q, v, *aba(model, data, q, v, a));
  EXPECT_TRUE(d.by_q.isApprox(-inverse * inverse_dynamics.by_q, 1e-9));
}

TEST_P(Derivatives, ConfigurationOperationsMatchCentralDifferences) {
  const Configuration q1 = along_q(q, 0.5 * v);
  Matrix by_q(nv, nv), by_v(nv, nv), by_q0(nv, nv), by_q1(nv, nv);
  ASSERT_TRUE(integrate_derivatives(model, q, v, by_q, by_v));
  ASSERT_TRUE(difference_derivatives(model, q, q1, by_q0, by_q1));
  const Map integrate_q = [&](const Configuration& x) { return along_q(x, v); };
  const Map integrate_v = [&](const Configuration& x) { return along_q(q, x); };
  const Map difference_q0 = [&](const Configuration& x) { return between(x, q1); };
  const Map difference_q1 = [&](const Configuration& x) { return between(q, x); };
  expect_close(by_q, central(integrate_q, q, nv, move_q(), minus_q()), "integrate by q");
  expect_close(by_v, central(integrate_v, v, nv, plus, minus_q()), "integrate by v");
  expect_close(by_q0, central(difference_q0, q, nv, move_q(), vector_minus), "difference by q0");
  expect_close(by_q1, central(difference_q1, q1, nv, move_q(), vector_minus), "difference by q1");
}

TEST_P(Derivatives, StepMatchesCentralDifferencesOfTheStateAfterOneStep) {
  const double dt = 0.01;
  const auto d = *step_derivatives(model, data, q, v, a, dt);
  const auto n = static_cast<Eigen::Index>(nv);
  // x = (q, v) flattened; perturbed through integrate for q
  const auto next = [&](const Configuration& x) {
    const Configuration vn = x.tail(n) + dt * *aba(model, data, x.head(model.nq()), x.tail(n), a);
    Configuration out(x.size());
    out << along_q(x.head(model.nq()), dt * vn), vn;
    return out;
  };
  Configuration x(static_cast<Eigen::Index>(model.nq()) + n);
  x << q, v;
  const auto move = [&](const Configuration& at, const Configuration& e) {
    Configuration out(at.size());
    out << along_q(at.head(model.nq()), e.head(n)), at.tail(n) + e.tail(n);
    return out;
  };
  const auto minus = [&](const Configuration& x0, const Configuration& x1) {
    Configuration out(2 * n);
    out << between(x0.head(model.nq()), x1.head(model.nq())), x1.tail(n) - x0.tail(n);
    return out;
  };
  expect_close(d.by_state, central(next, x, 2 * nv, move, minus), "A");
  const Map by_tau = [&](const Configuration& tau) {
    Configuration state(x.size());
    const Configuration vn = v + dt * *aba(model, data, q, v, tau);
    state << along_q(q, dt * vn), vn;
    return state;
  };
  expect_close(d.by_effort, central(by_tau, a, nv, plus, minus), "B");
}

INSTANTIATE_TEST_SUITE_P(RandomTrees, Derivatives,
                         ::testing::Combine(::testing::Range(0, 8), ::testing::Bool()));

TEST(DerivativesErrors, RefusedArgumentsLeaveTheOutputUntouched) {
  Rng rng(3);
  const Model model = testing::floating_base_tree(rng, 4);
  Data data = model.create_data();
  const auto nv = static_cast<Eigen::Index>(model.nv());
  Configuration q = *neutral(model);
  const Configuration v = Configuration::Zero(nv);
  Matrix out = Matrix::Constant(nv, nv, 7.0);
  const auto short_v = rnea_derivatives(model, data, q, v.head(nv - 1), v, out, out, out);
  EXPECT_EQ(short_v.error().display(), "Parameter 'v' expected configuration size " +
                                           std::to_string(nv) + ", but got " +
                                           std::to_string(nv - 1));
  q.segment<4>(3).setZero();
  const auto zero_quaternion = aba_derivatives(model, data, q, v, v, out, out, out);
  EXPECT_NE(zero_quaternion.error().display().find("quaternion of norm 0"), std::string::npos);
  EXPECT_TRUE((out.array() == 7.0).all());
}

}  // namespace
}  // namespace kinetra
