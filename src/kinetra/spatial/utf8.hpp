#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "kinetra/export.hpp"

namespace kinetra {

// Byte offset of the first ill-formed UTF-8 sequence (overlong forms, surrogates and code points
// above U+10FFFF included), or none.
KINETRA_API std::optional<std::size_t> find_invalid_utf8(std::string_view text);

inline bool is_valid_utf8(std::string_view text) { return !find_invalid_utf8(text); }

// 1-based line and column (in characters) of byte `offset` of valid UTF-8 `text`, as "L:C".
KINETRA_API std::string text_position(std::string_view text, std::size_t offset);

}  // namespace kinetra
