#include "kinetra/urdf/mesh_path.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "kinetra/spatial/utf8.hpp"

namespace kinetra {

namespace {

constexpr std::string_view package_prefix = "package://";

// `rest` under `directory`, as std::filesystem::path's operator/ joins them: an absolute `rest`
// stands alone, and a separator goes between unless `directory` is empty or ends with one.
std::string join_path(std::string_view directory, std::string_view rest) {
  if (rest.starts_with('/')) return std::string(rest);
  std::string path;
  path.reserve(directory.size() + 1 + rest.size());
  path += directory;
  if (!directory.empty() && !directory.ends_with('/')) path += '/';
  path += rest;
  return path;
}

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

std::expected<std::string, ParseError> resolve_package(std::string_view reference,
                                                       const MeshLookup& lookup) {
  if (reference.starts_with('/')) reference.remove_prefix(1);
  const std::size_t slash = reference.find('/');
  if (slash == std::string_view::npos) {
    return invalid_path("Invalid package path: " + std::string(reference));
  }
  const std::string_view package = reference.substr(0, slash);
  const std::string_view rest = reference.substr(slash + 1);
  if (const auto given = lookup.packages.find(package); given != lookup.packages.end()) {
    return join_path(given->second, rest);
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
  return join_path(*directory, rest);
}

// The path a mesh reference names, whether or not something is there.
std::expected<std::string, ParseError> mesh_candidate(std::string_view filename,
                                                      const MeshLookup& lookup) {
  if (filename.starts_with(package_prefix)) {
    return resolve_package(filename.substr(package_prefix.size()), lookup);
  }
  if (filename.starts_with('/')) return std::string(filename);
  if (lookup.package_dir) return join_path(*lookup.package_dir, filename);
  return invalid_path("'package_dir' must be provided to resolve mesh file paths");
}

}  // namespace

std::expected<std::string, ParseError> resolve_mesh_path(std::string_view filename,
                                                         const MeshLookup& lookup) {
  auto candidate = mesh_candidate(filename, lookup);
  // a NUL would cut the name short to another file: never a usable path
  const bool has_nul =
      (candidate ? std::string_view(*candidate) : filename).find('\0') != std::string_view::npos;
  if (!lookup.check_meshes && !has_nul) {
    return candidate ? std::move(*candidate) : std::string(filename);
  }
  if (!candidate) return std::unexpected(std::move(candidate.error()));
  // an existence query with the effective ids, cheaper than stat: follows symbolic links, and
  // any failure counts as absent
  if (has_nul || ::faccessat(AT_FDCWD, candidate->c_str(), F_OK, AT_EACCESS) != 0) {
    return invalid_path("Mesh file does not exist: " + *candidate);
  }
  return std::move(*candidate);
}

}  // namespace kinetra
