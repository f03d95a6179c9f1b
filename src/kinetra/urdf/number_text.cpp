#include "kinetra/urdf/number_text.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace kinetra {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// An ASCII byte other than white space: it neither starts nor ends any white space.
bool is_plain_ascii(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x80 && byte != ' ' && (byte < 0x09 || byte > 0x0D);
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equals_ignoring_case(std::string_view text, std::string_view word) {
  return text.size() == word.size() && std::equal(text.begin(), text.end(), word.begin(),
                                                  [](char a, char b) { return lower(a) == b; });
}

std::size_t count_digits(std::string_view text, std::size_t pos) {
  std::size_t n = 0;
  while (pos + n < text.size() && is_digit(text[pos + n])) ++n;
  return n;
}

// [+-]? (digits [. digits?] | . digits) ([eE] [+-]? digits)? | [+-]? (inf | infinity | nan)
bool is_number_syntax(std::string_view text) {
  std::size_t pos = 0;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) ++pos;
  const std::string_view body = text.substr(pos);
  const std::size_t integer_digits = count_digits(text, pos);
  pos += integer_digits;
  std::size_t fraction_digits = 0;
  if (pos < text.size() && text[pos] == '.') {
    fraction_digits = count_digits(text, ++pos);
    pos += fraction_digits;
  }
  if (integer_digits + fraction_digits == 0) {
    return equals_ignoring_case(body, "inf") || equals_ignoring_case(body, "infinity") ||
           equals_ignoring_case(body, "nan");
  }
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    const std::size_t exponent_digits = count_digits(text, pos);
    if (exponent_digits == 0) return false;
    pos += exponent_digits;
  }
  return pos == text.size();
}

// Power of ten of the leading non-zero digit of a syntactically valid, non-zero decimal.
std::int64_t decimal_magnitude(std::string_view text) {
  const std::size_t exponent_pos = std::min(text.find_first_of("eE"), text.size());
  const std::string_view mantissa = text.substr(0, exponent_pos);
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t lead = mantissa.find_first_of("123456789");
  std::int64_t magnitude = lead < point ? static_cast<std::int64_t>(point - lead - 1)
                                        : -static_cast<std::int64_t>(lead - point);
  if (exponent_pos < text.size()) {
    std::size_t i = exponent_pos + 1;
    const bool negative = text[i] == '-';
    if (text[i] == '+' || text[i] == '-') ++i;
    std::int64_t exponent = 0;
    for (; i < text.size(); ++i) {
      exponent = std::min<std::int64_t>(exponent * 10 + (text[i] - '0'), 1'000'000'000);
    }
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude;
}

// Appends the digits from `pos` on to `mantissa` (wrapping beyond 19 digits); `pos` ends after
// them.
void accumulate_digits(const char*& pos, const char* end, std::uint64_t& mantissa) {
  for (; pos < end && is_digit(*pos); ++pos) {
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(*pos - '0');
  }
}

// The value of a plain decimal of at most 19 digits whose digits, read as an integer, fit in 53
// bits and whose power of ten is at most 22 in size: both are exact doubles, so one product or
// quotient rounds it correctly, as from_chars would. False for anything else, valid or not.
bool parse_short_decimal(std::string_view text, double& value) {
  static constexpr double powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  constexpr int max_power = 22;
  constexpr std::uint64_t max_mantissa = std::uint64_t{1} << 53;
  const char* pos = text.data();
  const char* const end = pos + text.size();
  const bool negative = pos < end && *pos == '-';
  if (pos < end && (*pos == '-' || *pos == '+')) ++pos;
  // 19 digits cannot wrap the mantissa
  std::uint64_t mantissa = 0;
  const char* const integer = pos;
  accumulate_digits(pos, end, mantissa);
  auto digits = pos - integer;
  int power = 0;
  if (pos < end && *pos == '.') {
    const char* const fraction = ++pos;
    accumulate_digits(pos, end, mantissa);
    power = -static_cast<int>(pos - fraction);
    digits += pos - fraction;
  }
  if (digits == 0 || digits > 19) return false;
  if (pos < end && (*pos == 'e' || *pos == 'E')) {
    ++pos;
    const bool negative_exponent = pos < end && *pos == '-';
    if (pos < end && (*pos == '-' || *pos == '+')) ++pos;
    const char* const exponent_digits = pos;
    int exponent = 0;
    for (; pos < end && is_digit(*pos) && pos - exponent_digits < 4; ++pos) {
      exponent = exponent * 10 + (*pos - '0');
    }
    if (pos == exponent_digits) return false;
    power += negative_exponent ? -exponent : exponent;
  }
  if (pos != end || mantissa > max_mantissa) return false;
  if (mantissa == 0) power = 0;
  if (power < -max_power || power > max_power) return false;
  value = static_cast<double>(mantissa);
  value = power < 0 ? value / powers_of_ten[-power] : value * powers_of_ten[power];
  if (negative) value = -value;
  return true;
}

template <class T>
bool parse_number(std::string_view text, T& value) {
  text = trim_whitespace(text);
  if constexpr (std::is_same_v<T, double>) {
    if (parse_short_decimal(text, value)) return true;
  }
  if (!is_number_syntax(text)) return false;
  const bool negative = text.front() == '-';
  if (text.front() == '+') text.remove_prefix(1);
  T read{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
  if (error == std::errc::result_out_of_range) {
    const T saturated = decimal_magnitude(text) > 0 ? std::numeric_limits<T>::infinity() : T{0};
    value = negative ? -saturated : saturated;
    return true;
  }
  if (error != std::errc{} || end != text.data() + text.size()) return false;
  value = read;
  return true;
}

}  // namespace

std::size_t whitespace_length(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) {
    return pos + i < text.size() ? static_cast<unsigned char>(text[pos + i]) : 0u;
  };
  const unsigned b0 = byte(0);
  if (b0 == ' ' || (b0 >= 0x09 && b0 <= 0x0D)) return 1;
  // U+0085, U+00A0
  if (b0 == 0xC2 && (byte(1) == 0x85 || byte(1) == 0xA0)) return 2;
  // U+1680
  if (b0 == 0xE1 && byte(1) == 0x9A && byte(2) == 0x80) return 3;
  if (b0 == 0xE2 && byte(1) == 0x80) {
    const unsigned b2 = byte(2);
    // U+2000..U+200A, U+2028, U+2029, U+202F
    if ((b2 >= 0x80 && b2 <= 0x8A) || b2 == 0xA8 || b2 == 0xA9 || b2 == 0xAF) return 3;
  }
  // U+205F
  if (b0 == 0xE2 && byte(1) == 0x81 && byte(2) == 0x9F) return 3;
  // U+3000
  if (b0 == 0xE3 && byte(1) == 0x80 && byte(2) == 0x80) return 3;
  return 0;
}

std::string_view trim_whitespace(std::string_view text) {
  if (!text.empty() && is_plain_ascii(text.front()) && is_plain_ascii(text.back())) return text;
  std::size_t begin = 0;
  while (const std::size_t n = whitespace_length(text, begin)) begin += n;
  // scan forward so that multi-byte characters are recognised from their first byte
  std::size_t end = begin;
  for (std::size_t pos = begin; pos < text.size();) {
    if (const std::size_t n = whitespace_length(text, pos)) {
      pos += n;
    } else {
      ++pos;
      end = pos;
    }
  }
  return text.substr(begin, end - begin);
}

void WhitespaceSplit::iterator::advance(std::size_t pos) {
  while (const std::size_t n = whitespace_length(text_, pos)) pos += n;
  start_ = end_ = pos;
  while (end_ < text_.size() &&
         (is_plain_ascii(text_[end_]) || whitespace_length(text_, end_) == 0)) {
    ++end_;
  }
}

bool parse_double(std::string_view text, double& value) { return parse_number(text, value); }

bool parse_float(std::string_view text, float& value) { return parse_number(text, value); }

std::optional<double> parse_double(std::string_view text) {
  double value;
  return parse_number(text, value) ? std::optional(value) : std::nullopt;
}

std::optional<float> parse_float(std::string_view text) {
  float value;
  return parse_number(text, value) ? std::optional(value) : std::nullopt;
}

}  // namespace kinetra
