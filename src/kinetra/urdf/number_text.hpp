#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace kinetra {

// Byte length of the Unicode white-space character starting at `pos`, or 0 if there is none.
std::size_t whitespace_length(std::string_view text, std::size_t pos);

// `text` without leading and trailing Unicode white space.
std::string_view trim_whitespace(std::string_view text);

// The pieces of `text` between runs of Unicode white space (no empty pieces).
std::vector<std::string_view> split_whitespace(std::string_view text);

// A whole decimal number: optional sign, digits with an optional point (not both sides empty),
// optional exponent, or the words inf, infinity and nan in any letter case. White space around
// the number is ignored. Values beyond the type's range become infinite or zero.
std::optional<double> parse_double(std::string_view text);
// The same, rounded once, directly to 32 bits.
std::optional<float> parse_float(std::string_view text);

}  // namespace kinetra
