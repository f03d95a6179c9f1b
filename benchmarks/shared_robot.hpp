// A robot of the shared robots folder (KINETRA_SHARED_ROBOTS, or ../shared/robots next to the
// sources), loaded with ROS_PACKAGE_PATH set for its packages, and `root_joint` under its root
// link when given.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "kinetra/urdf/urdf.hpp"

namespace kinetra::bench {

// The folder of one shared robot.
inline std::filesystem::path shared_robot_dir(const std::string& folder) {
  const char* root = std::getenv("KINETRA_SHARED_ROBOTS");
  return std::filesystem::path(root ? root : KINETRA_SOURCE_DIR "/../shared/robots") / folder;
}

inline std::optional<Model> load_shared_robot(
    const std::string& folder, const std::string& file,
    const std::optional<JointModel>& root_joint = std::nullopt) {
  namespace fs = std::filesystem;
  const fs::path dir = shared_robot_dir(folder);
  std::string package_path;
  if (fs::is_directory(dir / "_packages")) {
    for (const auto& package : fs::directory_iterator(dir / "_packages")) {
      if (!package_path.empty()) package_path += ':';
      package_path += package.path().string();
    }
  }
  ::setenv("ROS_PACKAGE_PATH", package_path.c_str(), 1);
  auto models = build_models_from_urdf((dir / file).string(),
                                       MeshLookup{dir.string(), {}, true, {}}, root_joint);
  if (!models) return std::nullopt;
  return std::move(models->model);
}

}  // namespace kinetra::bench
