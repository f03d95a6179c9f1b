#include "kinetra/spatial/cos_and_sin.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

namespace kinetra {
namespace {

// Within two units in the last place of the library's values, or 1e-16 absolute where the value
// is near zero (there the reduction's error is absolute).
void expect_close(double x) {
  const auto [c, s] = cos_and_sin(x);
  for (const auto& [got, want] : {std::pair{c, std::cos(x)}, std::pair{s, std::sin(x)}}) {
    const double ulp = std::nextafter(std::fabs(want), 2.0) - std::fabs(want);
    EXPECT_LE(std::fabs(got - want), std::max(2.0 * ulp, 1e-16 * std::max(1.0, std::fabs(x) / 1e3)))
        << "x = " << x;
  }
}

TEST(CosAndSin, AgreesWithTheLibraryAcrossRanges) {
  std::mt19937_64 rng(5);
  for (const double range : {1e-8, 1.0, 4.0, 100.0, 1e5, 1e7}) {
    std::uniform_real_distribution<double> angle(-range, range);
    for (int k = 0; k < 20000; ++k) expect_close(angle(rng));
  }
  // quadrant edges and near multiples of pi/2, where the reduction cancels most
  for (int k = -40; k <= 40; ++k) {
    const double edge = k * std::numbers::pi / 4;
    for (const double x : {edge, std::nextafter(edge, 0.0), std::nextafter(edge, 10.0 * k + 1)}) {
      expect_close(x);
    }
  }
}

TEST(CosAndSin, ExactAtZeroAndPassesSpecialValuesThrough) {
  EXPECT_EQ(cos_and_sin(0.0), std::pair(1.0, 0.0));
  EXPECT_TRUE(std::signbit(cos_and_sin(-0.0).second));
  constexpr double inf = std::numeric_limits<double>::infinity();
  for (const double x : {std::numeric_limits<double>::quiet_NaN(), inf, -inf}) {
    const auto [c, s] = cos_and_sin(x);
    EXPECT_TRUE(std::isnan(c) && std::isnan(s));
  }
}

}  // namespace
}  // namespace kinetra
