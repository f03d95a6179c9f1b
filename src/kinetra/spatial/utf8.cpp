#include "kinetra/spatial/utf8.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kinetra {

namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the well-formed sequence at `pos`, or 0.
std::size_t sequence_length(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!is_continuation(byte(i))) return 0;
  }
  return length;
}

}  // namespace

std::optional<std::size_t> find_invalid_utf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    // thirty-two, then eight ASCII bytes at a time
    if (std::uint64_t words[4]; pos + 32 <= text.size()) {
      std::memcpy(words, text.data() + pos, 32);
      if (((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080u) == 0) {
        pos += 32;
        continue;
      }
    }
    if (std::uint64_t word; pos + 8 <= text.size()) {
      std::memcpy(&word, text.data() + pos, 8);
      if ((word & 0x8080808080808080u) == 0) {
        pos += 8;
        continue;
      }
    }
    if (static_cast<unsigned char>(text[pos]) < 0x80) {
      ++pos;
      continue;
    }
    const std::size_t length = sequence_length(text, pos);
    if (length == 0) return pos;
    pos += length;
  }
  return std::nullopt;
}

std::string text_position(std::string_view text, std::size_t offset) {
  const std::string_view before = text.substr(0, std::min(offset, text.size()));
  const std::size_t line_start = before.rfind('\n') + 1;  // npos + 1 == 0
  const auto line = std::ranges::count(before, '\n') + 1;
  const auto column = std::ranges::count_if(
                          before.substr(line_start),
                          [](char c) { return !is_continuation(static_cast<unsigned char>(c)); }) +
                      1;
  return std::to_string(line) + ":" + std::to_string(column);
}

}  // namespace kinetra
