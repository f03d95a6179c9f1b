#include "kinetra/spatial/sin_cos.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "kinetra/spatial/random.hpp"

namespace kinetra {
namespace {

// random angles in [-span, span] and multiples of pi/2 up to it, against the library's pair
class SinCosTest : public testing::TestWithParam<double> {};

TEST_P(SinCosTest, AgreesWithTheLibraryToRounding) {
  const double span = GetParam();
  Rng rng(7);
  for (int n = 0; n < 20000; ++n) {
    const double x = n % 2 ? span * (2 * uniform01(rng) - 1)
                           : std::round(span * (2 * uniform01(rng) - 1) / (std::numbers::pi / 2)) *
                                 (std::numbers::pi / 2);
    const SinCos pair = sin_cos(x);
    ASSERT_NEAR(pair.sin, std::sin(x), 2.5e-16) << x;
    ASSERT_NEAR(pair.cos, std::cos(x), 2.5e-16) << x;
  }
}

INSTANTIATE_TEST_SUITE_P(Spans, SinCosTest, testing::Values(1e-6, 1.0, 7.0, 1e3, 7.9e5, 1e9));

TEST(SinCosTest, ExactAtZeroAndTheLibrarysPairWhereTheReductionStops) {
  EXPECT_EQ(sin_cos(0.0).sin, 0.0);
  EXPECT_EQ(sin_cos(0.0).cos, 1.0);
  for (double x : {8e5, -3e7, std::numeric_limits<double>::infinity(),
                   std::numeric_limits<double>::quiet_NaN()}) {
    const SinCos pair = sin_cos(x);
    EXPECT_EQ(std::isnan(pair.sin), std::isnan(std::sin(x)));
    if (std::isfinite(x)) {
      EXPECT_EQ(pair.sin, std::sin(x));
      EXPECT_EQ(pair.cos, std::cos(x));
    }
  }
}

}  // namespace
}  // namespace kinetra
