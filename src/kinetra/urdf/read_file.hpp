#pragma once

#include <expected>
#include <string>

#include "kinetra/export.hpp"
#include "kinetra/urdf/parse_error.hpp"

namespace kinetra {

// The whole regular file (symbolic links followed) as UTF-8 text. A failure of the operating
// system, anything but a regular file, or text that is not UTF-8, is an IoError carrying the path.
KINETRA_API std::expected<std::string, ParseError> read_text_file(const std::string& path);

}  // namespace kinetra
