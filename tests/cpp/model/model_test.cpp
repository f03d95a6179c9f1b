#include <gtest/gtest.h>

#include "kinetra/model/model.hpp"

namespace kinetra {
namespace {

SE3 translation(double x, double y, double z) { return {SpatialRotation::Identity(), {x, y, z}}; }

Frame body_frame(std::string name, std::size_t joint, double mass, const SE3& placement) {
  Frame frame{std::move(name), joint, 0, placement, FrameType::Body, {}};
  frame.inertia.mass = mass;
  return frame;
}

TEST(Model, StartsWithTheWorld) {
  const Model model;
  EXPECT_EQ(model.njoints(), 1u);
  EXPECT_EQ(model.nframes(), 1u);
  EXPECT_EQ(model.nq(), 0u);
  EXPECT_EQ(model.name(), "");
  EXPECT_EQ(model.joint_names()[0], "__WORLD__");
  EXPECT_EQ(model.joint_models()[0].type(), JointType::Fixed);
  EXPECT_EQ(model.frames()[0].name, "__WORLD_FRAME__");
  EXPECT_EQ(model.frames()[0].frame_type, FrameType::Fixed);
  EXPECT_EQ(model.gravity(), Vector3D(0, 0, -9.81));
  EXPECT_EQ(model.get_joint_id("__WORLD__"), 0u);
  EXPECT_EQ(model.get_joint_id("missing"), std::nullopt);
}

TEST(Model, AddJointAssignsIdsAndOffsets) {
  Model model;
  EXPECT_EQ(*model.add_joint(0, JointModel::continuous({0, 0, 1}), SE3::identity(), "c"), 1u);
  EXPECT_EQ(*model.add_joint(1, JointModel::fixed(), SE3::identity(), "f"), 2u);
  EXPECT_EQ(*model.add_joint(0, JointModel::revolute({1, 0, 0}), SE3::identity(), "r"), 3u);
  EXPECT_EQ(model.nq(), 3u);
  EXPECT_EQ(model.nv(), 2u);
  EXPECT_EQ(model.idx_q(3), 2u);
  EXPECT_EQ(model.idx_v(3), 1u);
  EXPECT_EQ(model.joint_parents(), (std::vector<std::size_t>{0, 0, 1, 0}));
  EXPECT_EQ(model.inertias().size(), 4u);
  EXPECT_EQ(model.inertias()[3].mass, 0.0);
}

TEST(Model, LimitsGatherAndScatterPerJoint) {
  Model model;
  (void)*model.add_joint(0, JointModel::continuous({0, 0, 1}), SE3::identity(), "c");
  (void)*model.add_joint(1, JointModel::fixed(), SE3::identity(), "f");
  (void)*model.add_joint(0, JointModel::prismatic({1, 0, 0}), SE3::identity(), "p");
  EXPECT_EQ(model.lower_position_limits(), Configuration({{-1.01, -1.01, -INFINITY}}));
  EXPECT_EQ(model.velocity_limits().size(), 2);

  ASSERT_TRUE(model.set_position_limits(Configuration{{-1, -1, 0}}, Configuration{{1, 1, 0.5}}));
  ASSERT_TRUE(model.set_velocity_limits(Configuration{{3, 4}}));
  ASSERT_TRUE(model.set_effort_limits(Configuration{{5, 6}}));
  EXPECT_EQ(model.upper_position_limits(), Configuration({{1, 1, 0.5}}));
  EXPECT_EQ(model.joint_models()[3].limits().max_configuration, Configuration{{0.5}});
  EXPECT_EQ(model.velocity_limits(), Configuration({{3, 4}}));
  EXPECT_EQ(model.effort_limits(), Configuration({{5, 6}}));

  // refusals change nothing
  const Configuration before = model.lower_position_limits();
  EXPECT_EQ(model.set_position_limits(Configuration{{-1, 2, 0}}, Configuration{{1, 1, 0.5}})
                .error()
                .display(),
            "lower limit above upper limit at index 1");
  EXPECT_FALSE(model.set_position_limits(Configuration{{-1, NAN, 0}}, Configuration{{1, 1, 1}}));
  EXPECT_EQ(model.set_effort_limits(Configuration{{1}}).error().display(),
            "expected 2 values, got 1");
  EXPECT_EQ(model.lower_position_limits(), before);
  EXPECT_EQ(model.effort_limits(), Configuration({{5, 6}}));
}

TEST(Model, AddJointRefusesUnknownParentBeforeDuplicateName) {
  Model model;
  (void)*model.add_joint(0, JointModel::revolute({1, 0, 0}), SE3::identity(), "elbow");
  struct Case {
    std::size_t parent;
    std::string name, display, debug;
  };
  for (const auto& c :
       {Case{7, "elbow", "Parent joint with id 7 does not exist.", "ParentJointDoesNotExist(7)"},
        Case{1, "elbow", "Joint name 'elbow' is already used by joint with id 1.",
             "JointNameAlreadyUsed(\"elbow\", 1)"},
        Case{0, "__WORLD__", "Joint name '__WORLD__' is already used by joint with id 0.",
             "JointNameAlreadyUsed(\"__WORLD__\", 0)"}}) {
    const auto result = model.add_joint(c.parent, JointModel::fixed(), SE3::identity(), c.name);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().display(), c.display);
    EXPECT_EQ(result.error().debug(), c.debug);
  }
  EXPECT_EQ(model.njoints(), 2u);
  EXPECT_EQ(model.nq(), 1u);
}

TEST(Model, AddFrameFoldsInertiaAndReusesSameNameAndType) {
  Model model;
  EXPECT_EQ(*model.add_frame(body_frame("base", 0, 2.0, translation(1, 0, 0)), true), 1u);
  EXPECT_EQ(model.inertias()[0].mass, 2.0);
  EXPECT_EQ(model.inertias()[0].com, Vector3D(1, 0, 0));

  // same name and type: the existing id, nothing folded
  EXPECT_EQ(*model.add_frame(body_frame("base", 0, 5.0, SE3::identity()), true), 1u);
  EXPECT_EQ(model.nframes(), 2u);
  EXPECT_EQ(model.inertias()[0].mass, 2.0);

  Frame sensor = body_frame("base", 0, 0.0, SE3::identity());
  sensor.frame_type = FrameType::Sensor;
  EXPECT_EQ(*model.add_frame(sensor, false), 2u);
  EXPECT_EQ(model.get_frame_id("base"), 1u);
  EXPECT_EQ(model.get_frame_id("base", FrameType::Sensor), 2u);
  EXPECT_EQ(model.get_frame_id("base", FrameType::Joint), std::nullopt);

  // a second body on the same joint merges about the common centre of mass
  EXPECT_EQ(*model.add_frame(body_frame("other", 0, 2.0, translation(-1, 0, 0)), true), 3u);
  EXPECT_EQ(model.inertias()[0].mass, 4.0);
  EXPECT_TRUE(model.inertias()[0].com.isZero());
  EXPECT_DOUBLE_EQ(model.inertias()[0].inertia(1, 1), 4.0);

  const auto missing = model.add_frame(body_frame("far", 3, 1.0, SE3::identity()), true);
  EXPECT_EQ(missing.error().debug(), "ParentJointDoesNotExist(3)");
  EXPECT_EQ(model.nframes(), 4u);
}

TEST(Model, CreateDataMatchesJoints) {
  Model model;
  (void)*model.add_joint(0, JointModel::prismatic({1, 0, 0}), translation(1, 2, 3), "p");
  const Data data = model.create_data();
  ASSERT_EQ(data.joint_data.size(), 2u);
  EXPECT_EQ(data.joint_data[1].type(), JointType::Prismatic);
  EXPECT_TRUE(data.joint_placements[1].translation.isZero());
}

TEST(Model, Texts) {
  Model model("arm");
  (void)*model.add_joint(0, JointModel::revolute({0, 0, 1}), translation(0, 0, 0.5), "shoulder");
  EXPECT_EQ(debug_value(model).compact(),
            "Model { name: \"arm\", joint_names: [\"__WORLD__\", \"shoulder\"], joint_parents: "
            "[0, 0], joint_placements: [SE3(Isometry { rotation: [[1.0, 0.0, 0.0], [0.0, 1.0, "
            "0.0], [0.0, 0.0, 1.0]], translation: [0.0, 0.0, 0.0] }), SE3(Isometry { rotation: "
            "[[1.0, 0.0, 0.0], [0.0, 1.0, 0.0], [0.0, 0.0, 1.0]], translation: [0.0, 0.0, 0.5] "
            "})] }");

  EXPECT_EQ(frame_text(body_frame("base", 0, 2.0, translation(1, 0, 0))),
            "Frame (name='base', parent joint=0, parent frame=0, frame_type=Body)\n"
            " Placement=SE3(Isometry { rotation: [[1.0, 0.0, 0.0], [0.0, 1.0, 0.0], [0.0, 0.0, "
            "1.0]], translation: [1.0, 0.0, 0.0] })\n"
            " Inertia=Inertia { mass: 2.0, com: Vector3D([[0.0, 0.0, 0.0]]), inertia: Symmetric3 "
            "{ data: [0.0, 0.0, 0.0, 0.0, 0.0, 0.0] } }");
  EXPECT_STREQ(to_string(FrameType::Operational), "Operational");
  EXPECT_STREQ(to_string(FrameType::Sensor), "Sensor");
}

}  // namespace
}  // namespace kinetra
