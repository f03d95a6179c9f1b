#include "kinetra/batch/lane_sweeps.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "../model/random_tree.hpp"
#include "kinetra/batch/batched_algorithms.hpp"
#include "kinetra/batch/lanes.hpp"
#include "kinetra/model/aba_kernel.hpp"
#include "kinetra/model/algorithms.hpp"
#include "kinetra/model/rnea_kernel.hpp"

namespace kinetra {
namespace {

using RowMajor = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

RowMajor rows(std::vector<double>& values, std::size_t n) {
  return Eigen::Map<RowMajor>(values.data(), static_cast<Eigen::Index>(n),
                              static_cast<Eigen::Index>(values.size() / n));
}

// Row by row: max |error| <= 1e-12 max(1, max scale).
void expect_within_rounding(const RowMajor& error, const RowMajor& scale) {
  for (Eigen::Index i = 0; i < error.rows(); ++i) {
    EXPECT_LE(error.row(i).cwiseAbs().maxCoeff(),
              1e-12 * std::max(1.0, scale.row(i).cwiseAbs().maxCoeff()))
        << "row " << i;
  }
}

// Random trees of every joint kind, on a fixed or floating root, and batches of sizes around the
// lane count.
class LaneSweeps : public ::testing::TestWithParam<std::tuple<int, bool, std::size_t>> {
 protected:
  void SetUp() override {
    const auto [seed, floating, count] = GetParam();
    rng = Rng(static_cast<std::uint64_t>(seed));
    model = floating ? testing::floating_base_tree(rng, 12) : testing::random_tree(rng, 12);
    n = count;
    for (std::size_t i = 0; i < n; ++i) {
      append(q, testing::random_q(model, rng));
      append(v, testing::random_v(model, rng));
      append(a, testing::random_v(model, rng));
    }
  }
  static void append(std::vector<double>& rows, const Configuration& values) {
    rows.insert(rows.end(), values.begin(), values.end());
  }
  std::vector<double> out(std::size_t width) const { return std::vector<double>(n * width); }

  Rng rng{1};
  Model model;
  std::size_t n = 0;
  std::vector<double> q, v, a;
};

// The efforts of every row within rounding of the single-state ones, and the accelerations through
// the efforts they take.
TEST_P(LaneSweeps, RowsAreTheSingleStateResultsWithinRounding) {
  const std::size_t nv = model.nv();
  using batch::RowPath;
  for (const bool with_velocity : {true, false}) {
    std::vector<double> exact = out(nv), lanes = out(nv);
    if (with_velocity) {
      ASSERT_TRUE(batch::rnea(model, n, q.data(), v.data(), a.data(), exact.data(), 2));
      ASSERT_TRUE(
          batch::rnea(model, n, q.data(), v.data(), a.data(), lanes.data(), 2, RowPath::lanes));
    } else {
      ASSERT_TRUE(batch::generalized_gravity(model, n, q.data(), exact.data(), 1));
      ASSERT_TRUE(batch::generalized_gravity(model, n, q.data(), lanes.data(), 1, RowPath::lanes));
    }
    expect_within_rounding(rows(lanes, n) - rows(exact, n), rows(exact, n));
  }

  std::vector<double> exact = out(nv), lanes = out(nv), mass = out(nv * nv);
  ASSERT_TRUE(batch::aba(model, n, q.data(), v.data(), a.data(), exact.data(), 1));
  ASSERT_TRUE(batch::aba(model, n, q.data(), v.data(), a.data(), lanes.data(), 2, RowPath::lanes));
  ASSERT_TRUE(batch::crba(model, n, q.data(), mass.data(), 1));
  RowMajor effort_error(n, nv), effort_scale(n, nv);
  for (std::size_t i = 0; i < n; ++i) {
    const auto m = Eigen::Map<const Eigen::MatrixXd>(mass.data() + i * nv * nv, nv, nv);
    const auto row = [&](const std::vector<double>& x) {
      return Eigen::Map<const Eigen::VectorXd>(x.data() + i * nv, nv);
    };
    effort_error.row(i) = m * (row(lanes) - row(exact));
    effort_scale.row(i) = m.cwiseAbs() * row(exact).cwiseAbs();
  }
  expect_within_rounding(effort_error, effort_scale);
}

INSTANTIATE_TEST_SUITE_P(Trees, LaneSweeps,
                         ::testing::Combine(::testing::Range(1, 5), ::testing::Bool(),
                                            ::testing::Values(1, 3, 5, 64)));

// The kernels over N lanes, each lane a state of its own, against the single-state ones: both lane
// widths, whichever the processor runs in the batches.
template <int N>
void expect_lanes_are_the_single_states(const Model& model, Rng& rng) {
  using L = batch::Lanes<N>;
  const std::size_t nq = model.nq(), nv = model.nv();
  std::vector<L> q(nq), v(nv), a(nv), tau(nv), qdd(nv);
  std::array<Configuration, N> qs, vs, as;
  for (int l = 0; l < N; ++l) {
    qs[l] = testing::random_q(model, rng), vs[l] = testing::random_v(model, rng);
    as[l] = testing::random_v(model, rng);
    for (std::size_t k = 0; k < nq; ++k) q[k].set(l, qs[l][k]);
    for (std::size_t k = 0; k < nv; ++k) v[k].set(l, vs[l][k]), a[k].set(l, as[l][k]);
  }
  kernel::RneaWorkspace<L> rnea_ws;
  rnea_ws.resize(model.njoints());
  kernel::rnea(model.compiled(), rnea_ws, q.data(), v.data(), a.data(), tau.data());
  kernel::AbaWorkspace<L> aba_ws;
  aba_ws.resize(model.njoints(), nv);
  kernel::aba(model.compiled(), aba_ws, q.data(), v.data(), tau.data(), qdd.data());

  Data data = model.create_data();
  RowMajor error(2 * N, nv), scale(2 * N, nv);
  for (int l = 0; l < N; ++l) {
    Configuration lane_tau(nv), lane_qdd(nv);
    for (std::size_t k = 0; k < nv; ++k) lane_tau[k] = tau[k][l], lane_qdd[k] = qdd[k][l];
    const Configuration expected_tau = *rnea(model, data, qs[l], vs[l], as[l]);
    error.row(l) = lane_tau - expected_tau;
    scale.row(l) = expected_tau;
    // accelerations through the efforts they take
    const Eigen::MatrixXd mass = *crba(model, data, qs[l]);
    const Configuration expected_qdd = *aba(model, data, qs[l], vs[l], lane_tau);
    error.row(N + l) = mass * (lane_qdd - expected_qdd);
    scale.row(N + l) = mass.cwiseAbs() * expected_qdd.cwiseAbs();
  }
  expect_within_rounding(error, scale);
}

TEST(LaneSweeps, TwoAndFourLanesGiveTheSingleStateResults) {
  for (std::uint64_t seed = 1; seed <= 4; ++seed) {
    Rng rng(seed);
    for (const Model& model :
         {testing::random_tree(rng, 12), testing::floating_base_tree(rng, 12)}) {
      expect_lanes_are_the_single_states<2>(model, rng);
      expect_lanes_are_the_single_states<4>(model, rng);
    }
  }
}

#if defined(__x86_64__) && defined(__GNUC__)
TEST(LaneSweeps, FourLanesWithAvx2AndFmaTwoOtherwise) {
  __builtin_cpu_init();
  const bool wide = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  EXPECT_EQ(batch::lane_count(), wide ? 4u : 2u);
}
#endif

}  // namespace
}  // namespace kinetra
