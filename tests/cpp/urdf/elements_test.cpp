// Origins, axes, limits, inertials, geometry and materials, read through whole descriptions.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <numbers>

#include "kinetra/spatial/rotation.hpp"
#include "load_urdf.hpp"

namespace kinetra {
namespace {

// base --j--> tip, with `body` inside the joint element
std::string one_joint(std::string_view type, std::string_view body) {
  return robot(R"(<link name="base"/><link name="tip"/><joint name="j" type=")" +
               std::string(type) + R"("><parent link="base"/><child link="tip"/>)" +
               std::string(body) + "</joint>");
}

constexpr const char* limit = R"(<limit effort="1" velocity="2"/>)";

std::string revolute(std::string_view body) {
  return one_joint("revolute", std::string(body) + limit);
}

TEST(Origin, TranslationAndRotationEachOptional) {
  const SE3 shifted = load(revolute(R"(<origin xyz="1 2 3"/>)")).model.joint_placements()[1];
  EXPECT_EQ(shifted.translation, Vector3D(1, 2, 3));
  EXPECT_EQ(shifted.rotation, SpatialRotation::Identity());

  const SE3 turned = load(revolute(R"(<origin rpy="0 0 1.5"/>)")).model.joint_placements()[1];
  EXPECT_EQ(turned.translation, Vector3D::Zero());
  EXPECT_TRUE(turned.rotation.isApprox(rotation_from_euler_angles(0, 0, 1.5)));

  const SE3 spaced = load(revolute("<origin xyz=\" \t1\n 2\r\n3 \"/>")).model.joint_placements()[1];
  EXPECT_EQ(spaced.translation, Vector3D(1, 2, 3));
}

TEST(Origin, MalformedListsAreRefusedXyzFirst) {
  for (const char* origin : {R"(<origin xyz="1 2"/>)", R"(<origin xyz="1 2 3 4"/>)",
                             R"(<origin xyz=""/>)", R"(<origin xyz="1 2 x" rpy="a b c"/>)"}) {
    EXPECT_EQ(load_error(revolute(origin)), "Invalid value for parameter: xyz") << origin;
  }
  EXPECT_EQ(load_error(revolute(R"(<origin xyz="0 0 0" rpy="0 0"/>)")),
            "Invalid value for parameter: rpy");
}

TEST(Axis, DefaultsToXAndRefusesDirectionlessAxes) {
  EXPECT_EQ(SpatialMotion(load(revolute("")).model.joint_models()[1].motion_subspace().col(0)),
            motion_from_rotational_axis(Vector3D::UnitX()));
  EXPECT_EQ(
      SpatialMotion(load(one_joint("prismatic", std::string(R"(<axis xyz="0 0 2"/>)") + limit))
                        .model.joint_models()[1]
                        .motion_subspace()
                        .col(0)),
      motion_from_translational_axis(Vector3D(0, 0, 2)));
  for (const char* type : {"revolute", "prismatic", "continuous"}) {
    for (const char* axis : {"0 0 0", "nan 0 0", "inf 0 0"}) {
      const std::string body = std::string(R"(<axis xyz=")") + axis + "\"/>" + limit;
      EXPECT_EQ(load_error(one_joint(type, body)), "Invalid value for parameter: xyz")
          << type << " " << axis;
    }
  }
  EXPECT_EQ(load_error(revolute("<axis/>")), "Missing required parameter: xyz");
}

TEST(Axis, AnyFiniteNonZeroScaleTurnsAboutTheUnitAxis) {
  for (const char* type : {"revolute", "continuous"}) {
    const auto subspace = [&](const char* axis) {
      const std::string body = std::string(R"(<axis xyz=")") + axis + "\"/>" + limit;
      return load(one_joint(type, body)).model.joint_models()[1].motion_subspace();
    };
    for (const char* axis : {"1e155 0 0", "1e-160 0 0", "1e-320 0 0", "1e308 0 0"}) {
      EXPECT_EQ(subspace(axis), subspace("1 0 0")) << type << " " << axis;
    }
  }
}

// Floating and planar joints ignore limits; a planar joint's axis is its plane's normal, z by
// default, and its in-plane axes are perpendicular to it.
TEST(JointTypes, FloatingAndPlanar) {
  const JointModel floating = load(one_joint("floating", "")).model.joint_models()[1];
  EXPECT_EQ(floating.type(), JointType::Floating);
  EXPECT_EQ(load(one_joint("floating", R"(<limit lower="2" upper="1"/>)")).model.nq(), 7u);

  const MotionSubspace flat =
      load(one_joint("planar", "")).model.joint_models()[1].motion_subspace();
  EXPECT_EQ(SpatialMotion(flat.col(0)), motion_from_rotational_axis(Vector3D::UnitZ()));
  const MotionSubspace tilted =
      load(one_joint("planar", R"(<axis xyz="0 2 0"/>)")).model.joint_models()[1].motion_subspace();
  EXPECT_EQ(SpatialMotion(tilted.col(0)), motion_from_rotational_axis(Vector3D::UnitY()));
  for (Eigen::Index k : {1, 2}) {
    EXPECT_NEAR(tilted.col(k).tail<3>().dot(Vector3D::UnitY()), 0.0, 1e-15);
    EXPECT_NEAR(tilted.col(k).tail<3>().norm(), 1.0, 1e-15);
  }
}

TEST(Limits, RequiredForRevoluteAndPrismaticOnly) {
  EXPECT_EQ(load_error(one_joint("revolute", "")), "Missing required parameter: limit");
  EXPECT_EQ(load_error(one_joint("prismatic", "")), "Missing required parameter: limit");
  const auto continuous = load(one_joint("continuous", "")).model.joint_models()[1].limits();
  EXPECT_EQ(continuous.min_configuration, Configuration::Constant(2, -1.01));
  EXPECT_EQ(continuous.max_effort[0], std::numeric_limits<double>::infinity());
}

TEST(Limits, BoundsAreOptionalEffortAndVelocityRequired) {
  const auto limits =
      load(one_joint("revolute", R"(<limit lower="abc" upper=" 1.5" effort="3" velocity="4"/>)"))
          .model.joint_models()[1]
          .limits();
  EXPECT_EQ(limits.min_configuration[0], -std::numeric_limits<double>::infinity());
  EXPECT_EQ(limits.max_configuration[0], 1.5);
  EXPECT_EQ(limits.max_effort[0], 3.0);
  EXPECT_EQ(limits.max_velocity[0], 4.0);

  // a continuous joint never reads its bounds
  const auto continuous =
      load(one_joint("continuous", R"(<limit lower="-5" upper="5" effort="3" velocity="4"/>)"))
          .model.joint_models()[1]
          .limits();
  EXPECT_EQ(continuous.max_configuration, Configuration::Constant(2, 1.01));
  EXPECT_EQ(continuous.max_velocity[0], 4.0);

  EXPECT_EQ(load_error(one_joint("revolute", R"(<limit velocity="1"/>)")),
            "Missing required parameter: effort");
  EXPECT_EQ(load_error(one_joint("continuous", R"(<limit effort="1" velocity="fast"/>)")),
            "Invalid value for parameter: velocity");
}

// A root link "base" with `inertial` inside; its inertia ends up on joint 0.
Inertia root_inertia(std::string_view inertial) {
  return load(robot(R"(<link name="base">)" + std::string(inertial) + "</link>"))
      .model.inertias()[0];
}

std::string inertial(std::string_view mass, std::string_view origin = "") {
  return "<inertial><mass value=\"" + std::string(mass) +
         R"("/><inertia ixx="1" ixy="0.1" ixz="0.2" iyy="2" iyz="0.3" izz="3"/>)" +
         std::string(origin) + "</inertial>";
}

TEST(Inertial, MassSyntaxAndTensorLayout) {
  for (const char* mass : {"2", "2e0", "+2.", " 2 "})
    EXPECT_EQ(root_inertia(inertial(mass)).mass, 2.0);
  EXPECT_EQ(root_inertia(inertial("2")).inertia.data,
            (std::array<double, 6>{1, 2, 3, 0.1, 0.2, 0.3}));
  EXPECT_EQ(load_error(robot(R"(<link name="base">)" + inertial("2 kg") + "</link>")),
            "Invalid value for parameter: value");
}

TEST(Inertial, OriginPlacesAndTurnsTheBody) {
  // an unreadable rpy reads as no rotation
  const Inertia shifted = root_inertia(inertial("1", R"(<origin rpy="a b c" xyz="1 2 3"/>)"));
  EXPECT_EQ(shifted.com, Vector3D(1, 2, 3));
  EXPECT_EQ(shifted.inertia.data[0], 1.0);

  const Inertia turned =
      root_inertia(inertial("1", R"(<origin rpy="0 0 1.5707963267948966" xyz="1 2"/>)"));
  EXPECT_EQ(turned.com, Vector3D::Zero());
  EXPECT_NEAR(turned.inertia(0, 0), 2.0, 1e-12);
  EXPECT_NEAR(turned.inertia(1, 1), 1.0, 1e-12);
  EXPECT_NEAR(turned.inertia(0, 1), -0.1, 1e-12);
}

TEST(Inertial, MissingParts) {
  const auto link = [](std::string_view body) {
    return load_error(
        robot(R"(<link name="arm"><inertial>)" + std::string(body) + "</inertial></link>"));
  };
  EXPECT_EQ(link(R"(<inertia ixx="1"/>)"), "<inertial> tag in link 'arm' missing mass data.");
  EXPECT_EQ(link(R"(<mass value="1"/>)"), "<inertial> tag in link 'arm' missing inertia data.");
  EXPECT_EQ(link(R"(<mass value="1"/><inertia ixx="1" ixy="0" ixz="0" iyz="0" izz="1"/>)"),
            "Missing required parameter: iyy");
  EXPECT_EQ(link(R"(<mass/><inertia/>)"), "Missing required parameter: value");
}

// A root link "base" with `elements` (collision and visual) inside.
UrdfModels with_geometry(std::string_view elements,
                         const std::optional<std::string>& package_dir = {}) {
  return load(
      robot(R"(<link name="base"><origin xyz="0 0 1"/>)" + std::string(elements) + "</link>"),
      package_dir);
}

TEST(Geometry, ShapesByPriorityAndHalvedSizes) {
  const auto models = with_geometry(
      R"(<collision><geometry><sphere radius="1"/><box size="1 2 3"/></geometry></collision>
         <collision><geometry><cylinder radius="0.1" length="2"/></geometry></collision>
         <collision><geometry><sphere radius="0.1"/></geometry></collision>)");
  const auto& objects = models.collision.objects;
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_EQ(objects[0].geometry->get_half_extents(), (std::array<float, 3>{0.5f, 1.0f, 1.5f}));
  EXPECT_EQ(objects[1].geometry->get_radius(), 0.1f);
  EXPECT_EQ(objects[1].geometry->get_half_length(), 1.0f);
  EXPECT_EQ(objects[2].geometry->get_shape_type(), vortan::ShapeType::Sphere);
  EXPECT_EQ(objects[2].name, "base_2");
}

TEST(Geometry, MeshesResolveAgainstThePackageDirectory) {
  const auto dir = std::filesystem::temp_directory_path() / "kinetra_geometry_mesh";
  std::filesystem::create_directories(dir / "meshes");
  std::ofstream(dir / "meshes/part.stl") << "solid p\nendsolid p\n";
  const auto models = with_geometry(
      R"(<visual><geometry><mesh filename="meshes/part.stl" scale="2 2 2"/></geometry></visual>)",
      dir.string());
  EXPECT_EQ(models.visual.objects.at(0).geometry->get_mesh_path(),
            (dir / "meshes/part.stl").string());
  EXPECT_EQ(load_error(robot(R"(<link name="base"><visual><geometry><mesh/></geometry></visual>
                                </link>)")),
            "Missing required parameter: filename");
  std::filesystem::remove_all(dir);
}

TEST(Geometry, NamesPlacementsAndAnchors) {
  const auto models = with_geometry(
      R"(<visual><origin xyz="1 0 0"/><geometry><sphere radius="1"/></geometry></visual>
         <collision><geometry><sphere radius="1"/></geometry></collision>
         <visual><geometry><sphere radius="1"/></geometry></visual>)");
  ASSERT_EQ(models.visual.objects.size(), 2u);
  EXPECT_EQ(models.visual.objects[0].name, "base_0");
  EXPECT_EQ(models.visual.objects[1].name, "base_1");
  EXPECT_EQ(models.collision.objects[0].name, "base_0");
  // relative to the joint: the link's own origin, then the element's
  EXPECT_EQ(models.visual.objects[0].placement.translation, Vector3D(1, 0, 1));
  EXPECT_EQ(models.visual.objects[0].parent_joint, 0u);
  EXPECT_EQ(models.visual.objects[0].parent_frame, 1u);
  EXPECT_FALSE(models.visual.objects[0].disable_collision);
}

TEST(Geometry, MissingPartsAndErrorOrder) {
  EXPECT_EQ(load_error(robot(R"(<link name="base"><collision/></link>)")),
            "the <visual> tag named 'base_0' does not have a corresponding <geometry> tag.");
  EXPECT_EQ(load_error(robot(R"(<link name="base"><visual><geometry><capsule/></geometry>
                                </visual></link>)")),
            "the <geometry> tag named 'base_0' does not have a corresponding shape tag.");
  // the shape is read before the origin
  EXPECT_EQ(load_error(robot(R"(<link name="base"><visual><origin xyz="1"/><geometry>
                                <box size="1 2"/></geometry></visual></link>)")),
            "Invalid value for parameter: size");
  EXPECT_EQ(load_error(robot(R"(<link name="base"><visual><geometry><cylinder length="1"/>
                                </geometry></visual></link>)")),
            "Missing required parameter: radius");
}

// Visual colours of links a, b (walked in that order), given their <material> elements.
std::pair<Color, Color> colors(std::string_view top, std::string_view a, std::string_view b) {
  const auto visual = [](std::string_view material) {
    return R"(<visual><geometry><sphere radius="1"/></geometry>)" + std::string(material) +
           "</visual>";
  };
  const auto models = load(robot(std::string(top) + R"(<link name="a">)" + visual(a) +
                                 R"(</link><link name="b">)" + visual(b) + "</link>"));
  return {models.visual.objects.at(0).mesh_color, models.visual.objects.at(1).mesh_color};
}

constexpr Color grey{0.9, 0.9, 0.9, 1.0};
constexpr Color red{1, 0, 0, 1};
constexpr Color blue{0, 0, 1, 1};

TEST(Materials, TopLevelColoursWinAndLaterOnesReplace) {
  const std::string top = R"(<material name="m"><color rgba="0 1 0 1"/></material>
                             <material name="m"><color rgba="1 0 0 1"/></material>)";
  EXPECT_EQ(colors(top, R"(<material name="m"><color rgba="0 0 1 1"/></material>)", ""),
            std::pair(red, grey));
}

TEST(Materials, InlineColoursAreRememberedInWalkOrder) {
  const char* named = R"(<material name="red"><color rgba="1 0 0 1"/></material>)";
  EXPECT_EQ(colors("", named, R"(<material name="red"/>)"), std::pair(red, red));
  EXPECT_EQ(colors("", R"(<material name="red"/>)", named), std::pair(grey, red));
  // unnamed and unreadable colours are used once or not at all
  EXPECT_EQ(colors("", R"(<material><color rgba="0 0 1 1"/></material>)",
                   R"(<material name=""><color rgba="0 0 1"/></material>)"),
            std::pair(blue, grey));
}

TEST(Materials, CollisionsKeepTheDefaultColour) {
  const auto models = with_geometry(
      R"(<collision><geometry><sphere radius="1"/></geometry>
         <material name="x"><color rgba="1 0 0 1"/></material></collision>)");
  EXPECT_EQ(models.collision.objects.at(0).mesh_color, grey);
}

TEST(Materials, TopLevelErrors) {
  EXPECT_EQ(load_error(robot(R"(<material name="wood"><texture filename="w.png"/></material>)")),
            "the <material> tag named 'wood' does not have a corresponding <color> tag.");
  EXPECT_EQ(load_error(robot(R"(<material><color rgba="1 1 1 1"/></material>)")),
            "Missing name attribute for <material>.");
  EXPECT_EQ(load_error(robot(R"(<material name="m"><color rgba="1 1 1"/></material>)")),
            "Invalid value for parameter: rgba");
}

}  // namespace
}  // namespace kinetra
