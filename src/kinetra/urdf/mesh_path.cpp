#include "kinetra/urdf/mesh_path.hpp"

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "kinetra/spatial/utf8.hpp"

namespace kinetra {

namespace {

constexpr std::string_view package_prefix = "package://";

std::unexpected<ParseError> invalid_path(std::string detail) {
  return std::unexpected(ParseError::of(ParseError::Kind::InvalidFilePath, std::move(detail)));
}

// The last normal component of `entry` ("a/b/" and "a/b/." give "b"; "/", "" and "a/.." none).
std::optional<std::string_view> last_component(std::string_view entry) {
  while (!entry.empty()) {
    const std::size_t slash = entry.rfind('/');
    const std::string_view component =
        slash == std::string_view::npos ? entry : entry.substr(slash + 1);
    if (!component.empty() && component != ".") {
      if (component == "..") return std::nullopt;
      return component;
    }
    if (slash == std::string_view::npos) break;
    entry = entry.substr(0, slash);
  }
  return std::nullopt;
}

// The directory of `package` among the ':'-separated entries, first match winning.
std::optional<std::string_view> find_package(std::string_view search_path,
                                             std::string_view package) {
  for (;;) {
    const std::size_t colon = search_path.find(':');
    const std::string_view entry = search_path.substr(0, colon);
    if (last_component(entry) == package) return entry;
    if (colon == std::string_view::npos) return std::nullopt;
    search_path.remove_prefix(colon + 1);
  }
}

std::expected<std::filesystem::path, ParseError> resolve_package(std::string_view reference,
                                                                 const MeshLookup& lookup) {
  if (reference.starts_with('/')) reference.remove_prefix(1);
  const std::size_t slash = reference.find('/');
  if (slash == std::string_view::npos) {
    return invalid_path("Invalid package path: " + std::string(reference));
  }
  const std::string_view package = reference.substr(0, slash);
  const std::string_view rest = reference.substr(slash + 1);
  if (const auto given = lookup.packages.find(package); given != lookup.packages.end()) {
    return std::filesystem::path(given->second) / rest;
  }
  // the messages say where else was looked when packages were given
  const std::string also = lookup.packages.empty() ? "" : " in 'packages' or";
  const char* search_path = !lookup.package_path   ? std::getenv("ROS_PACKAGE_PATH")
                            : *lookup.package_path ? (*lookup.package_path)->c_str()
                                                   : nullptr;
  if (search_path == nullptr || !is_valid_utf8(search_path)) {
    if (!also.empty()) {
      return invalid_path("Package '" + std::string(package) +
                          "' not found in 'packages', and the ROS_PACKAGE_PATH environment "
                          "variable is not set");
    }
    return invalid_path(
        "'package://' was used but the ROS_PACKAGE_PATH environment variable is not set");
  }
  const auto directory = find_package(search_path, package);
  if (!directory) {
    return invalid_path("Package '" + std::string(package) + "' not found" + also +
                        " in ROS_PACKAGE_PATH");
  }
  return std::filesystem::path(*directory) / rest;
}

// The path a mesh reference names, whether or not something is there.
std::expected<std::filesystem::path, ParseError> mesh_candidate(std::string_view filename,
                                                                const MeshLookup& lookup) {
  if (filename.starts_with(package_prefix)) {
    return resolve_package(filename.substr(package_prefix.size()), lookup);
  }
  if (filename.starts_with('/')) return std::filesystem::path(filename);
  if (lookup.package_dir) return std::filesystem::path(*lookup.package_dir) / filename;
  return invalid_path("'package_dir' must be provided to resolve mesh file paths");
}

}  // namespace

std::expected<std::string, ParseError> resolve_mesh_path(std::string_view filename,
                                                         const MeshLookup& lookup) {
  auto candidate = mesh_candidate(filename, lookup);
  // a NUL would cut the name short to another file: never a usable path
  const bool has_nul =
      (candidate ? candidate->native() : std::string(filename)).find('\0') != std::string::npos;
  if (!lookup.check_meshes && !has_nul) {
    return candidate ? candidate->string() : std::string(filename);
  }
  if (!candidate) return std::unexpected(std::move(candidate.error()));
  // follows symbolic links; any failure of the query counts as absent
  std::error_code error;
  const auto status = std::filesystem::status(*candidate, error);
  if (error || !std::filesystem::exists(status) || has_nul) {
    return invalid_path("Mesh file does not exist: " + candidate->string());
  }
  return candidate->string();
}

}  // namespace kinetra
