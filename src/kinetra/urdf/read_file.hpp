#pragma once

#include <expected>
#include <string>

#include "kinetra/urdf/parse_error.hpp"

namespace kinetra {

// The whole file as UTF-8 text. A failure of the operating system, or text that is not UTF-8,
// is an IoError carrying the path.
std::expected<std::string, ParseError> read_text_file(const std::string& path);

}  // namespace kinetra
