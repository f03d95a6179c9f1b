// Real descriptions: the bundled arm and, when present, the shared development robots.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <pugixml.hpp>

#include "load_urdf.hpp"

namespace kinetra {
namespace {

namespace fs = std::filesystem;

// Sizes and mass counted straight from the XML, independently of the reader.
struct XmlCounts {
  std::size_t nq = 0, nv = 0;
  double mass = 0.0;
};

XmlCounts count(const fs::path& file) {
  pugi::xml_document document;
  EXPECT_TRUE(document.load_file(file.c_str()));
  XmlCounts counts;
  const pugi::xml_node robot = document.child("robot");
  for (const pugi::xml_node joint : robot.children("joint")) {
    const std::string type = joint.attribute("type").value();
    counts.nq += type == "continuous" ? 2 : type == "fixed" ? 0 : 1;
    counts.nv += type == "fixed" ? 0 : 1;
  }
  for (const pugi::xml_node link : robot.children("link")) {
    counts.mass += link.child("inertial").child("mass").attribute("value").as_double();
  }
  return counts;
}

double total_mass(const Model& model) {
  double mass = 0.0;
  for (const Inertia& inertia : model.inertias()) mass += inertia.mass;
  return mass;
}

TEST(SharedRobots, LoadWithTheSizesAndMassOfTheirDescription) {
  const fs::path root = KINETRA_SOURCE_DIR "/../shared/robots";
  if (!fs::is_directory(root)) GTEST_SKIP() << "no shared robots at " << root;
  std::size_t loaded = 0;
  for (const auto& folder : fs::directory_iterator(root)) {
    if (!folder.is_directory()) continue;
    std::string package_path;
    if (fs::is_directory(folder.path() / "_packages")) {
      for (const auto& package : fs::directory_iterator(folder.path() / "_packages")) {
        if (!package_path.empty()) package_path += ':';
        package_path += package.path().string();
      }
    }
    ::setenv("ROS_PACKAGE_PATH", package_path.c_str(), 1);
    for (const auto& file : fs::directory_iterator(folder.path())) {
      if (file.path().extension() != ".urdf") continue;
      SCOPED_TRACE(file.path().string());
      const auto models = build_models_from_urdf(file.path().string(), folder.path().string());
      ASSERT_TRUE(models.has_value()) << models.error().display();
      const XmlCounts expected = count(file.path());
      EXPECT_EQ(models->model.nq(), expected.nq);
      EXPECT_EQ(models->model.nv(), expected.nv);
      EXPECT_NEAR(total_mass(models->model), expected.mass, 1e-9);
      ++loaded;
    }
  }
  ::unsetenv("ROS_PACKAGE_PATH");
  EXPECT_GT(loaded, 0u);
}

TEST(BundledArm, LoadsWithItsMeshMaterialsAndToolFrame) {
  const std::string dir = KINETRA_SOURCE_DIR "/examples/robots/kinetra_arm";
  const auto models = build_models_from_urdf(dir + "/kinetra_arm.urdf", dir);
  ASSERT_TRUE(models.has_value()) << models.error().display();
  const Model& model = models->model;
  EXPECT_EQ(model.name(), "kinetra_arm");
  EXPECT_EQ(model.nq(), 6u);
  EXPECT_NEAR(total_mass(model), 17.9, 1e-9);
  EXPECT_EQ(models->collision.objects.size(), 8u);
  EXPECT_EQ(models->visual.objects.size(), 8u);
  EXPECT_EQ(models->visual.objects[0].geometry->get_mesh_path(), dir + "/meshes/base.stl");
  EXPECT_EQ(models->visual.objects[0].mesh_color, (Color{0.2, 0.2, 0.22, 1}));
  EXPECT_EQ(models->visual.objects[7].mesh_color, (Color{0.1, 0.3, 0.8, 1}));
  const auto tool = model.get_frame_id("tool_tip", FrameType::Fixed);
  ASSERT_TRUE(tool.has_value());
  EXPECT_EQ(model.frames()[*tool].parent_joint, 6u);
  // without the package directory the relative mesh name cannot be resolved
  EXPECT_EQ(build_models_from_urdf(dir + "/kinetra_arm.urdf", std::nullopt).error().display(),
            "Invalid file path: 'package_dir' must be provided to resolve mesh file paths");
}

}  // namespace
}  // namespace kinetra
