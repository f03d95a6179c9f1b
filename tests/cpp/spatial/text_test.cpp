#include "kinetra/spatial/text.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace kinetra {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// head, `zeros` zero digits, tail
std::string with_zeros(std::string head, std::size_t zeros, const char* tail = "") {
  head.append(zeros, '0');
  return head + tail;
}

struct NumberCase {
  double x;
  std::string display;
  std::string debug;
};

class NumberFormTest : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberFormTest, DisplayAndDebug) {
  EXPECT_EQ(display_number(GetParam().x), GetParam().display);
  EXPECT_EQ(debug_number(GetParam().x), GetParam().debug);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, NumberFormTest,
    testing::Values(
        NumberCase{1.0, "1", "1.0"}, NumberCase{0.0, "0", "0.0"}, NumberCase{-0.0, "-0", "-0.0"},
        NumberCase{0.1, "0.1", "0.1"}, NumberCase{0.25, "0.25", "0.25"},
        NumberCase{-2.5, "-2.5", "-2.5"},
        NumberCase{1.0 / 3.0, "0.3333333333333333", "0.3333333333333333"},
        NumberCase{123456.789, "123456.789", "123456.789"},
        NumberCase{1e20, "100000000000000000000", "1e20"}, NumberCase{1e-7, "0.0000001", "1e-7"},
        NumberCase{-2.5e-8, "-0.000000025", "-2.5e-8"}, NumberCase{1e-4, "0.0001", "0.0001"},
        NumberCase{9.9e-5, "0.000099", "9.9e-5"}, NumberCase{1e-5, "0.00001", "1e-5"},
        NumberCase{1.5e16, "15000000000000000", "1.5e16"},
        NumberCase{1e16, "10000000000000000", "1e16"},
        NumberCase{9999999999999998.0, "9999999999999998", "9999999999999998.0"},
        NumberCase{-1e100, with_zeros("-1", 100), "-1e100"}, NumberCase{kNaN, "NaN", "NaN"},
        NumberCase{kInf, "inf", "inf"}, NumberCase{-kInf, "-inf", "-inf"}));

TEST(NumberFormTest, ExtremeMagnitudes) {
  EXPECT_EQ(debug_number(5e-324), "5e-324");
  EXPECT_EQ(display_number(5e-324), with_zeros("0.", 323, "5"));
  EXPECT_EQ(debug_number(std::numeric_limits<double>::max()), "1.7976931348623157e308");
  // large magnitudes print their shortest digits padded with zeros, not the exact integer
  EXPECT_EQ(display_number(std::numeric_limits<double>::max()),
            with_zeros("17976931348623157", 292));
  EXPECT_EQ(display_number(1e23), with_zeros("1", 23));
  EXPECT_EQ(display_number(18014398509481984.0), "18014398509481984");
}

struct FixedCase {
  double x;
  int digits;
  const char* text;
};

class FixedFormTest : public testing::TestWithParam<FixedCase> {};

TEST_P(FixedFormTest, RoundsTheExactValue) {
  EXPECT_EQ(fixed_number(GetParam().x, GetParam().digits), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Numbers, FixedFormTest,
                         testing::Values(FixedCase{1.0, 4, "1.0000"},
                                         FixedCase{2.0 / 3.0, 4, "0.6667"},
                                         FixedCase{-1.23456, 4, "-1.2346"},
                                         FixedCase{0.0, 4, "0.0000"}, FixedCase{-0.0, 4, "-0.0000"},
                                         FixedCase{1e-7, 4, "0.0000"},
                                         // 1.005 and 2.675 are stored just below the halfway point
                                         FixedCase{1.005, 2, "1.00"}, FixedCase{2.675, 2, "2.67"},
                                         FixedCase{1e20, 1, "100000000000000000000.0"},
                                         FixedCase{42.0, 0, "42"}, FixedCase{kNaN, 4, "NaN"},
                                         FixedCase{kInf, 4, "inf"}, FixedCase{-kInf, 4, "-inf"}));

TEST(DebugValueTest, CompactAndPrettyLayouts) {
  const DebugValue v = DebugValue::record(
      "Outer", {{"name", DebugValue::string("a\"b\\\n")},
                {"items", DebugValue::list({DebugValue::integer(3), DebugValue::boolean(true)})},
                {"empty", DebugValue::list({})},
                {"unit", DebugValue::tuple("None", {})},
                {"wrapped", DebugValue::tuple("Some", {DebugValue::number(0.5)})}});
  EXPECT_EQ(v.compact(), R"(Outer { name: "a\"b\\\n", items: [3, true], empty: [], unit: None, )"
                         R"(wrapped: Some(0.5) })");
  EXPECT_EQ(v.pretty(),
            "Outer {\n"
            "    name: \"a\\\"b\\\\\\n\",\n"
            "    items: [\n"
            "        3,\n"
            "        true,\n"
            "    ],\n"
            "    empty: [],\n"
            "    unit: None,\n"
            "    wrapped: Some(\n"
            "        0.5,\n"
            "    ),\n"
            "}");
}

}  // namespace
}  // namespace kinetra
