#include "kinetra/urdf/number_text.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace kinetra {
namespace {

struct NumberCase {
  const char* text;
  double value;
};

class AcceptedNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(AcceptedNumber, ReadsTheValue) {
  const auto value = parse_double(GetParam().text);
  ASSERT_TRUE(value.has_value()) << GetParam().text;
  EXPECT_EQ(*value, GetParam().value) << GetParam().text;
}

constexpr double inf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(Syntax, AcceptedNumber,
                         testing::Values(NumberCase{"2e0", 2.0}, NumberCase{"+2.", 2.0},
                                         NumberCase{"-.5", -0.5}, NumberCase{"1E-3", 1e-3},
                                         NumberCase{"0.1", 0.1}, NumberCase{"007", 7.0},
                                         NumberCase{"  0.5\t", 0.5},
                                         NumberCase{"\xC2\xA0"
                                                    "3",
                                                    3.0},
                                         NumberCase{"inf", inf}, NumberCase{"-Infinity", -inf},
                                         NumberCase{"INF", inf}, NumberCase{"1e400", inf},
                                         NumberCase{"-1e400", -inf}, NumberCase{"1e-400", 0.0},
                                         NumberCase{"4e-320", 4e-320}));

class RefusedNumber : public testing::TestWithParam<const char*> {};

TEST_P(RefusedNumber, IsNotANumber) { EXPECT_FALSE(parse_double(GetParam()).has_value()); }

INSTANTIATE_TEST_SUITE_P(Syntax, RefusedNumber,
                         testing::Values("", " ", "1.0.0", "0x10", ".", "+", "e5", "1e", "1e+",
                                         "1 2", "nan(1)", "infin", "--1", "1,5", "one", "1f",
                                         "\xEF\xBC\x91"));

TEST(ParseNumber, NanInAnyCase) {
  for (const char* text : {"nan", "NaN", "-NAN", "+nan"}) {
    const auto value = parse_double(text);
    ASSERT_TRUE(value.has_value()) << text;
    EXPECT_TRUE(std::isnan(*value)) << text;
  }
}

TEST(ParseNumber, FloatsAreRoundedOnceTo32Bits) {
  // nearest float to the decimal, not the float nearest to the double nearest to it
  const char* text = "1.00000005960464477539062500000000001";
  EXPECT_EQ(parse_float(text), std::nextafter(1.0f, 2.0f));
  EXPECT_EQ(parse_float("0.1"), 0.1f);
  EXPECT_EQ(parse_float("1e39"), std::numeric_limits<float>::infinity());
  EXPECT_EQ(parse_float("1e-50"), 0.0f);
}

// Short decimals take a faster path than long ones: both round as from_chars does.
TEST(ParseNumber, RoundsAsFromChars) {
  std::vector<std::string> texts{"0e-99", "-0.000e+45", "9007199254740993", "1e22", "1e23"};
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    std::string& text = texts.emplace_back(i % 2 ? "-" : "");
    const int digits = 1 + static_cast<int>(random() % 22);
    const int point = static_cast<int>(random() % (digits + 1));
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += '.';
      text += static_cast<char>('0' + random() % 10);
    }
    if (i % 3 == 0) {
      text += 'e';
      text += std::to_string(static_cast<int>(random() % 61) - 30);
    }
  }
  for (const std::string& text : texts) {
    double expected = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), expected);
    EXPECT_EQ(parse_double(text), expected) << text;
  }
}

std::vector<std::string> pieces(std::string_view text) {
  std::vector<std::string> found;
  for (const auto piece : WhitespaceSplit(text)) found.emplace_back(piece);
  return found;
}

TEST(SplitWhitespace, SplitsOnAnyUnicodeWhiteSpace) {
  EXPECT_EQ(pieces(" \t1\n2\xE3\x80\x80"
                   "3\xE2\x80\xA9 \r"),
            (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(pieces("\xE2\x84\x80"), (std::vector<std::string>{"\xE2\x84\x80"}));
  EXPECT_TRUE(pieces(" \n ").empty());
  EXPECT_EQ(trim_whitespace("\xC2\x85 a b\xE2\x80\x80"), "a b");
}

}  // namespace
}  // namespace kinetra
