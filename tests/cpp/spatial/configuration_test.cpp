#include "kinetra/spatial/configuration.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace kinetra {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kTwoPi = 2.0 * std::numbers::pi;

Configuration values(std::initializer_list<double> xs) {
  Configuration c(static_cast<Eigen::Index>(xs.size()));
  Eigen::Index i = 0;
  for (double x : xs) c[i++] = x;
  return c;
}

TEST(ConfigurationErrorTest, DisplayTexts) {
  EXPECT_EQ(ConfigurationError::invalid_size("q", 7, 6).display(),
            "Parameter 'q' expected configuration size 7, but got 6");
}

TEST(ConfigurationErrorTest, CheckSize) {
  EXPECT_TRUE(check_size("v", 0, 0));
  const auto err = check_size("tau", 2, 5);
  ASSERT_FALSE(err);
  EXPECT_EQ(err.error().parameter, "tau");
  EXPECT_EQ(err.error().display(), "Parameter 'tau' expected configuration size 2, but got 5");
}

struct RangeCase {
  const char* name;
  double lower, upper;
  double expected_lower, expected_upper;  // sampled interval; NaN when empty
};

class SampleUniformTest : public testing::TestWithParam<RangeCase> {};

TEST_P(SampleUniformTest, StaysInHalfOpenRangeOrFails) {
  const auto& c = GetParam();
  Rng rng(5);
  for (int i = 0; i < 1000; ++i) {
    const auto x = sample_uniform(c.lower, c.upper, rng);
    if (std::isnan(c.expected_lower)) {
      ASSERT_FALSE(x);
      EXPECT_STREQ(x.error().message, "cannot sample empty range");
      return;
    }
    ASSERT_TRUE(x);
    EXPECT_GE(*x, c.expected_lower);
    EXPECT_LT(*x, c.expected_upper);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, SampleUniformTest,
    testing::Values(RangeCase{"unit", 1, 2, 1, 2}, RangeCase{"negative", -3, -2.5, -3, -2.5},
                    RangeCase{"unbounded", -kInf, kInf, -kTwoPi, kTwoPi},
                    RangeCase{"unbounded_below", -kInf, 0, -kTwoPi, 0},
                    RangeCase{"unbounded_above", 1, kInf, 1, 1 + kTwoPi},
                    // one ulp wide: only the lower end is ever returned
                    RangeCase{"one_ulp", 1, std::nextafter(1.0, 2.0), 1, std::nextafter(1.0, 2.0)},
                    RangeCase{"one_ulp_large", 1e16, 1e16 + 2, 1e16, 1e16 + 2},
                    RangeCase{"equal", 0, 0, kNaN, kNaN}, RangeCase{"inverted", 2, 1, kNaN, kNaN},
                    RangeCase{"nan_lower", kNaN, 1, kNaN, kNaN},
                    RangeCase{"nan_upper", 0, kNaN, kNaN, kNaN},
                    RangeCase{"infinite_lower_end", kInf, kInf, kNaN, kNaN},
                    RangeCase{"below_minus_two_pi", -kInf, -10, -10 - kTwoPi, -10},
                    RangeCase{"above_ten", 10, kInf, 10, 10 + kTwoPi},
                    RangeCase{"wider_than_the_largest_double", -1e308, 1e308, -1e308, 1e308}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(SampleUniformTest, TinyRangesNeverReturnTheUpperBound) {
  Rng rng(9);
  for (double lower : {0.0, 1.0, -1.0, 1e-300, 123.456, -1e15}) {
    const double upper = std::nextafter(lower, kInf);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(sample_uniform(lower, upper, rng).value(), lower);
  }
}

TEST(SampleUniformTest, VectorSamplesEachEntryBetweenItsBounds) {
  Rng rng(13);
  const Configuration lower = values({-kInf, 1, -0.5});
  const Configuration upper = values({kInf, 2, -0.25});
  for (int i = 0; i < 200; ++i) {
    const auto q = sample_uniform(lower, upper, rng);
    ASSERT_TRUE(q);
    ASSERT_EQ(q->size(), 3);
    EXPECT_TRUE(-kTwoPi <= (*q)[0] && (*q)[0] < kTwoPi);
    EXPECT_TRUE(1 <= (*q)[1] && (*q)[1] < 2);
    EXPECT_TRUE(-0.5 <= (*q)[2] && (*q)[2] < -0.25);
  }
  EXPECT_FALSE(sample_uniform(values({0, 1}), values({1, 1}), rng));
  EXPECT_EQ(sample_uniform(Configuration(0), Configuration(0), rng)->size(), 0);
}

TEST(ConcatTest, JoinsInOrder) {
  const std::vector<Configuration> parts{values({1, 2}), Configuration(0), values({3, 4, 5})};
  EXPECT_EQ(concat(parts), values({1, 2, 3, 4, 5}));
  EXPECT_EQ(concat({}).size(), 0);
  EXPECT_EQ(concat(std::vector<Configuration>(2)).size(), 0);
}

}  // namespace
}  // namespace kinetra
