#pragma once

#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "kinetra/urdf/parse_error.hpp"

namespace kinetra {

// The existing file a mesh `filename` names: a "package://name/rest" reference looked up in
// ROS_PACKAGE_PATH (read on every call), an absolute path, or a path relative to
// `package_dir`. Failures are InvalidFilePath errors.
std::expected<std::string, ParseError> resolve_mesh_path(
    std::string_view filename, const std::optional<std::string>& package_dir);

}  // namespace kinetra
