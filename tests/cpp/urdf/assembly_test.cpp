// The walk over links and joints, frames and inertia bookkeeping, and the tree checks.
#include <gtest/gtest.h>

#include <vector>

#include "load_urdf.hpp"

namespace kinetra {
namespace {

std::string link(std::string_view name, std::string_view body = "") {
  return "<link name=\"" + std::string(name) + "\">" + std::string(body) + "</link>";
}

std::string joint(std::string_view name, std::string_view type, std::string_view parent,
                  std::string_view child, std::string_view body = "") {
  const bool moving = type != "fixed";
  return "<joint name=\"" + std::string(name) + "\" type=\"" + std::string(type) +
         "\"><parent link=\"" + std::string(parent) + "\"/><child link=\"" + std::string(child) +
         "\"/>" + (moving ? R"(<limit effort="1" velocity="1"/>)" : "") + std::string(body) +
         "</joint>";
}

std::string mass(double kg) {
  return R"(<inertial><mass value=")" + std::to_string(kg) +
         R"("/><inertia ixx="0" ixy="0" ixz="0" iyy="0" iyz="0" izz="0"/></inertial>)";
}

std::vector<std::string> frame_names(const Model& model) {
  std::vector<std::string> names;
  for (const Frame& frame : model.frames()) names.push_back(frame.name);
  return names;
}

TEST(Walk, RootsByNameThenJointsByNameDepthFirst) {
  const auto models =
      load(robot(link("z_root") + link("base") + link("la") + link("lb") + link("lc") +
                 joint("b", "revolute", "base", "lb") + joint("c", "prismatic", "la", "lc") +
                 joint("a", "continuous", "base", "la")));
  EXPECT_EQ(models.model.joint_names(), (std::vector<std::string>{"__WORLD__", "a", "c", "b"}));
  EXPECT_EQ(models.model.joint_parents(), (std::vector<std::size_t>{0, 0, 1, 0}));
  EXPECT_EQ(frame_names(models.model),
            (std::vector<std::string>{"__WORLD_FRAME__", "base", "a", "la", "c", "lc", "b", "lb",
                                      "z_root"}));
  EXPECT_EQ(models.model.nq(), 4u);
  EXPECT_EQ(models.model.nv(), 3u);
  EXPECT_EQ(models.model.name(), "r");
}

TEST(Walk, UnconnectedLinksAreRootsOnTheWorld) {
  const auto models = load(robot(link("b") + link("a")));
  ASSERT_EQ(models.model.nframes(), 3u);
  for (std::size_t id : {1u, 2u}) {
    EXPECT_EQ(models.model.frames()[id].parent_joint, 0u);
    EXPECT_EQ(models.model.frames()[id].parent_frame, 0u);
  }
  EXPECT_EQ(models.model.frames()[1].name, "a");
}

TEST(Walk, FixedJointsKeepTheBodyOnTheirParentJoint) {
  const auto models = load(robot(link("base") + link("l1", mass(1)) + link("l2", mass(2)) +
                                 joint("j1", "revolute", "base", "l1", R"(<origin xyz="0 0 1"/>)") +
                                 joint("f1", "fixed", "l1", "l2", R"(<origin xyz="1 0 0"/>)")));
  const Model& model = models.model;
  EXPECT_EQ(model.joint_names(), (std::vector<std::string>{"__WORLD__", "j1"}));
  EXPECT_EQ(frame_names(model),
            (std::vector<std::string>{"__WORLD_FRAME__", "base", "j1", "l1", "f1", "l2"}));
  const std::vector<FrameType> types{FrameType::Fixed, FrameType::Body,  FrameType::Joint,
                                     FrameType::Body,  FrameType::Fixed, FrameType::Body};
  const std::vector<std::size_t> joints{0, 0, 1, 1, 1, 1};
  for (std::size_t i = 0; i < types.size(); ++i) {
    EXPECT_EQ(model.frames()[i].frame_type, types[i]) << i;
    EXPECT_EQ(model.frames()[i].parent_joint, joints[i]) << i;
  }
  // l2 sits 1 m along x from joint 1, on the fixed frame, which also holds its mass
  EXPECT_EQ(model.frames()[5].placement.translation, Vector3D(1, 0, 0));
  EXPECT_EQ(model.frames()[4].inertia.mass, 2.0);
  EXPECT_EQ(model.frames()[5].inertia.mass, 0.0);
  EXPECT_EQ(model.inertias()[1].mass, 3.0);
  EXPECT_TRUE(model.inertias()[1].com.isApprox(Vector3D(2.0 / 3.0, 0, 0)));
  EXPECT_EQ(model.joint_placements()[1].translation, Vector3D(0, 0, 1));
}

TEST(Walk, RootLinkMassGoesToTheWorldJointThroughItsFrame) {
  const auto models = load(robot(link("base", mass(4) + R"(<origin xyz="0 0 2"/>)")));
  EXPECT_EQ(models.model.frames()[1].inertia.mass, 4.0);
  EXPECT_EQ(models.model.inertias()[0].mass, 4.0);
  EXPECT_EQ(models.model.inertias()[0].com, Vector3D(0, 0, 2));
}

TEST(Walk, RootJointsCarryEachRootLinkUnderFreeNames) {
  // the description's own "root_joint" keeps its name; the root joints take the next ones
  const auto models =
      build_models_from_urdf_string(robot(link("base", mass(4)) + link("tip", mass(1)) + link("z") +
                                          joint("root_joint", "revolute", "base", "tip")),
                                    MeshLookup{}, JointModel::floating());
  ASSERT_TRUE(models.has_value()) << models.error().display();
  const Model& model = models->model;
  EXPECT_EQ(model.joint_names(),
            (std::vector<std::string>{"__WORLD__", "root_joint_1", "root_joint", "root_joint_2"}));
  EXPECT_EQ(model.joint_parents(), (std::vector<std::size_t>{0, 0, 1, 0}));
  EXPECT_EQ(model.nq(), 15u);
  EXPECT_EQ(model.nv(), 13u);
  EXPECT_EQ(frame_names(model),
            (std::vector<std::string>{"__WORLD_FRAME__", "root_joint_1", "base", "root_joint",
                                      "tip", "root_joint_2", "z"}));
  const Frame& base = model.frames()[2];
  EXPECT_EQ(model.frames()[1].frame_type, FrameType::Joint);
  EXPECT_EQ(base.parent_joint, 1u);
  EXPECT_EQ(base.parent_frame, 1u);
  EXPECT_EQ(model.inertias()[0].mass, 0.0);
  EXPECT_EQ(model.inertias()[1].mass, 4.0);
  EXPECT_EQ(model.frames()[6].parent_joint, 3u);
}

TEST(Walk, IgnoresWhatItDoesNotRead) {
  const auto models = load(robot(
      link("base") + link("tip") + "<gazebo reference=\"base\"/><transmission name=\"t\"/><foo/>" +
      R"(<joint name="stub" type="fixed"><parent link="tip"/></joint>)" +
      R"(<joint name="orphan" type="fixed"><child link="nowhere"/></joint>)" +
      joint("j", "fixed", "base", "tip")));
  EXPECT_EQ(frame_names(models.model),
            (std::vector<std::string>{"__WORLD_FRAME__", "base", "j", "tip", "stub"}));
  // a robot nested in another element is found
  EXPECT_EQ(load("<wrapper><robot name=\"inner\"/></wrapper>").model.name(), "inner");
}

TEST(Walk, DuplicateNamesFollowTheModelRules) {
  // a second fixed joint of the same name adds no frame; moving joints must be unique
  const auto models = load(robot(link("base") + link("a") + link("b") +
                                 joint("f", "fixed", "base", "a") + joint("f", "fixed", "a", "b")));
  EXPECT_EQ(frame_names(models.model),
            (std::vector<std::string>{"__WORLD_FRAME__", "base", "f", "a", "b"}));
  EXPECT_EQ(
      load_error(robot(link("base") + link("a") + link("b") + joint("j", "revolute", "base", "a") +
                       joint("j", "revolute", "a", "b"))),
      "Model error: Joint name 'j' is already used by joint with id 1.");
}

struct ErrorCase {
  const char* what;
  std::string xml;
  const char* message;
};

class WalkError : public testing::TestWithParam<ErrorCase> {};

TEST_P(WalkError, IsReportedWithItsText) {
  EXPECT_EQ(load_error(GetParam().xml), GetParam().message) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WalkError,
    testing::Values(
        ErrorCase{"no robot", "<robots/>", "No <robot> tag found in URDF."},
        ErrorCase{"nameless robot", "<robot>" + link("base") + "</robot>",
                  "Missing name attribute for <robot>."},
        ErrorCase{"nameless joint",
                  robot(link("a") + link("b") +
                        R"(<joint type="fixed" x="&lt;&quot;"><parent link="a"/>
                           <child link="b"/></joint>)"),
                  "Missing name attribute for <joint type=\"fixed\" x=\"&lt;&quot;\">."},
        ErrorCase{"untyped joint",
                  robot(link("a") + link("b") +
                        R"(<joint name="j"><parent link="a"/><child link="b"/></joint>)"),
                  "Missing required parameter: type"},
        ErrorCase{"unknown joint type", robot(link("a") + link("b") + joint("j", "ball", "a", "b")),
                  "unknown joint type (ball)."},
        ErrorCase{"child without link",
                  robot(link("a") + R"(<joint name="j" type="fixed"><child/></joint>)"),
                  "Missing required parameter: link"},
        ErrorCase{
            "parent typed like a joint",
            robot(R"(<link name="a" type="fixed"/>)" + link("b") + joint("j", "fixed", "a", "b")),
            "Frame references unknown parent: a"},
        ErrorCase{"unknown child", robot(link("a") + joint("j", "fixed", "a", "ghost")),
                  "Unknown link name: ghost"},
        ErrorCase{"unknown parent",
                  robot(link("a") + link("b") + joint("j", "fixed", "ghost", "b")),
                  "Unknown link name: ghost"},
        ErrorCase{"two parents",
                  robot(link("a") + link("b") + link("c") + joint("j1", "fixed", "a", "c") +
                        joint("j2", "fixed", "b", "c")),
                  "Link 'c' has more than one parent joint."},
        ErrorCase{"self loop", robot(link("a") + joint("j", "fixed", "a", "a")),
                  "Link 'a' cannot be reached from any root link."},
        ErrorCase{"cycle beside a root",
                  robot(link("r") + link("x") + link("y") + joint("j1", "fixed", "x", "y") +
                        joint("j2", "fixed", "y", "x")),
                  "Link 'x' cannot be reached from any root link."},
        ErrorCase{"cycle back to the tree",
                  robot(link("a") + link("b") + link("c") + joint("j1", "fixed", "a", "b") +
                        joint("j2", "fixed", "b", "c") + joint("j3", "fixed", "c", "b")),
                  "Link 'b' has more than one parent joint."},
        ErrorCase{"orphan joint's child",
                  robot(link("a") + link("b") +
                        R"(<joint name="j" type="fixed"><child link="b"/></joint>)"),
                  "Link 'b' cannot be reached from any root link."}),
    [](const testing::TestParamInfo<ErrorCase>& param_info) {
      std::string name = param_info.param.what;
      for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

}  // namespace
}  // namespace kinetra
