#pragma once

#include <expected>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "kinetra/export.hpp"
#include "kinetra/urdf/parse_error.hpp"

namespace kinetra {

// Where the mesh files a description names are looked for.
struct MeshLookup {
  // base of relative file names
  std::optional<std::string> package_dir;
  // folder of each package, consulted before ROS_PACKAGE_PATH
  std::map<std::string, std::string, std::less<>> packages;
  // when false, a mesh need not exist: its path is the resolved one, or the reference as
  // written when it cannot be resolved
  bool check_meshes = true;
  // When set, ROS_PACKAGE_PATH as the caller read it (an empty optional: not set), for callers
  // that run the reader beside threads that may change the environment; otherwise the reader
  // reads the variable itself.
  std::optional<std::optional<std::string>> package_path;
};

// The existing file a mesh `filename` names: a "package://name/rest" reference looked up in
// `lookup.packages`, then in ROS_PACKAGE_PATH (read on every call), an absolute path, or a path
// relative to `lookup.package_dir`. Failures are InvalidFilePath errors.
KINETRA_API std::expected<std::string, ParseError> resolve_mesh_path(std::string_view filename,
                                                                     const MeshLookup& lookup);

}  // namespace kinetra
