#include "kinetra/urdf/mesh_path.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace kinetra {
namespace {

namespace fs = std::filesystem;

class MeshPathTest : public testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("kinetra_mesh_path_" + std::to_string(::getpid()));
    for (const char* dir : {"a/robot_pkg/meshes", "b/robot_pkg/meshes", "ws/robot_pkg/meshes"}) {
      fs::create_directories(root / dir);
      std::ofstream(root / dir / "base.stl") << "solid s\nendsolid s\n";
    }
    if (const char* value = std::getenv("ROS_PACKAGE_PATH")) saved = value;
  }
  void TearDown() override {
    fs::remove_all(root);
    if (saved) {
      ::setenv("ROS_PACKAGE_PATH", saved->c_str(), 1);
    } else {
      ::unsetenv("ROS_PACKAGE_PATH");
    }
  }

  void set_package_path(const std::string& value) {
    ::setenv("ROS_PACKAGE_PATH", value.c_str(), 1);
  }
  std::string dir(const char* relative) const { return (root / relative).string(); }

  // the resolved path, or the error text
  static std::string resolve(std::string_view filename,
                             const std::optional<std::string>& package_dir = {},
                             MeshLookup lookup = {}) {
    lookup.package_dir = package_dir;
    const auto path = resolve_mesh_path(filename, lookup);
    return path ? *path : path.error().display();
  }

  fs::path root;
  std::optional<std::string> saved;
};

TEST_F(MeshPathTest, FirstMatchingPackageEntryWins) {
  set_package_path(dir("a/robot_pkg") + ":" + dir("b/robot_pkg"));
  EXPECT_EQ(resolve("package://robot_pkg/meshes/base.stl"),
            dir("a/robot_pkg") + "/meshes/base.stl");
  // three slashes read like two; a trailing slash on the entry is ignored
  set_package_path(std::string(":").append(dir("b/robot_pkg/")) + ":" + dir("a/robot_pkg"));
  EXPECT_EQ(resolve("package:///robot_pkg/meshes/base.stl"),
            dir("b/robot_pkg/") + "meshes/base.stl");
}

// A caller's own reading of the variable stands in for the environment, set or not.
TEST_F(MeshPathTest, PackagePathReadByTheCallerWins) {
  set_package_path(dir("b/robot_pkg"));
  MeshLookup lookup;
  lookup.package_path = std::optional<std::string>(dir("a/robot_pkg"));
  EXPECT_EQ(resolve("package://robot_pkg/meshes/base.stl", {}, lookup),
            dir("a/robot_pkg") + "/meshes/base.stl");
  lookup.package_path = std::optional<std::string>();
  EXPECT_EQ(resolve("package://robot_pkg/meshes/base.stl", {}, lookup),
            "Invalid file path: 'package://' was used but the ROS_PACKAGE_PATH environment "
            "variable is not set");
}

TEST_F(MeshPathTest, PackageFailuresInOrder) {
  ::unsetenv("ROS_PACKAGE_PATH");
  EXPECT_EQ(resolve("package://robot_pkg"), "Invalid file path: Invalid package path: robot_pkg");
  EXPECT_EQ(resolve("package:///robot_pkg"), "Invalid file path: Invalid package path: robot_pkg");
  EXPECT_EQ(resolve("package://robot_pkg/meshes/base.stl"),
            "Invalid file path: 'package://' was used but the ROS_PACKAGE_PATH environment "
            "variable is not set");
  // entries are not searched below: only their own last component counts
  set_package_path(dir("ws"));
  EXPECT_EQ(resolve("package://robot_pkg/meshes/base.stl"),
            "Invalid file path: Package 'robot_pkg' not found in ROS_PACKAGE_PATH");
  set_package_path(dir("a/robot_pkg"));
  EXPECT_EQ(
      resolve("package://robot_pkg/meshes/missing.stl"),
      "Invalid file path: Mesh file does not exist: " + dir("a/robot_pkg") + "/meshes/missing.stl");
}

TEST_F(MeshPathTest, RelativeAndAbsolutePaths) {
  const std::string package_dir = dir("a/robot_pkg");
  EXPECT_EQ(resolve("meshes/base.stl", package_dir), package_dir + "/meshes/base.stl");
  EXPECT_EQ(resolve(package_dir + "/meshes/base.stl", dir("b")), package_dir + "/meshes/base.stl");
  // a directory passes the existence check
  EXPECT_EQ(resolve("meshes", package_dir), package_dir + "/meshes");
  EXPECT_EQ(resolve("/no/such/mesh.stl", package_dir),
            "Invalid file path: Mesh file does not exist: /no/such/mesh.stl");
  // a NUL does not cut the name short to a place that exists
  const std::string cut = package_dir + std::string(1, '\0') + "x";
  EXPECT_EQ(resolve("meshes", cut),
            "Invalid file path: Mesh file does not exist: " + cut + "/meshes");
  EXPECT_EQ(resolve("file://" + package_dir + "/meshes/base.stl", package_dir),
            "Invalid file path: Mesh file does not exist: " + package_dir + "/file://" +
                package_dir + "/meshes/base.stl");
}

TEST_F(MeshPathTest, GivenPackagesComeBeforeThePackagePath) {
  set_package_path(dir("a/robot_pkg"));
  const MeshLookup lookup{{}, {{"robot_pkg", dir("b/robot_pkg")}}, true, {}};
  EXPECT_EQ(resolve("package://robot_pkg/meshes/base.stl", {}, lookup),
            dir("b/robot_pkg") + "/meshes/base.stl");
  EXPECT_EQ(resolve("package://other/meshes/base.stl", {}, lookup),
            "Invalid file path: Package 'other' not found in 'packages' or in ROS_PACKAGE_PATH");
  ::unsetenv("ROS_PACKAGE_PATH");
  EXPECT_EQ(resolve("package://other/meshes/base.stl", {}, lookup),
            "Invalid file path: Package 'other' not found in 'packages', and the "
            "ROS_PACKAGE_PATH environment variable is not set");
}

TEST_F(MeshPathTest, UncheckedMeshesKeepTheResolvedPathOrTheReference) {
  ::unsetenv("ROS_PACKAGE_PATH");
  const MeshLookup unchecked{{}, {{"robot_pkg", dir("a/robot_pkg")}}, false, {}};
  EXPECT_EQ(resolve("package://robot_pkg/meshes/missing.stl", {}, unchecked),
            dir("a/robot_pkg") + "/meshes/missing.stl");
  EXPECT_EQ(resolve("package://other/m.stl", {}, unchecked), "package://other/m.stl");
  EXPECT_EQ(resolve("meshes/missing.stl", {}, unchecked), "meshes/missing.stl");
  EXPECT_EQ(resolve("meshes/missing.stl", dir("a"), unchecked), dir("a") + "/meshes/missing.stl");
  // a NUL is refused all the same
  EXPECT_EQ(resolve("meshes", dir("a") + std::string(1, '\0'), unchecked),
            "Invalid file path: Mesh file does not exist: " + dir("a") + std::string(1, '\0') +
                "/meshes");
}

TEST_F(MeshPathTest, RelativePathNeedsPackageDirEvenIfItExistsHere) {
  const fs::path previous = fs::current_path();
  fs::current_path(dir("a/robot_pkg"));
  EXPECT_EQ(resolve("meshes/base.stl"),
            "Invalid file path: 'package_dir' must be provided to resolve mesh file paths");
  fs::current_path(previous);
}

}  // namespace
}  // namespace kinetra
