#include "kinetra/geometry/geometry_object.hpp"

#include <gtest/gtest.h>

#include "vortan/sphere.hpp"

namespace kinetra {
namespace {

GeometryObject sample_object() {
  SE3 placement;
  placement.translation = Vector3D(1.0, -2.0, 0.5);
  return {"base_link_0",
          1,
          2,
          vortan::ShapeWrapper(vortan::Sphere(0.2f)),
          false,
          Color{0.0, 0.0, 0.0, 1.0},
          placement};
}

TEST(GeometryObjectDebug, CompactLeavesOutTheShape) {
  EXPECT_EQ(debug_value(sample_object()).compact(),
            "GeometryObject { name: \"base_link_0\", parent_joint: 1, parent_frame: 2, "
            "disable_collision: false, mesh_color: Color([[0.0, 0.0, 0.0, 1.0]]), placement: "
            "SE3(Isometry { rotation: [[1.0, 0.0, 0.0], [0.0, 1.0, 0.0], [0.0, 0.0, 1.0]], "
            "translation: [1.0, -2.0, 0.5] }) }");
}

TEST(GeometryObjectDebug, PrettyPutsEachFieldOnItsOwnLine) {
  EXPECT_EQ(debug_value(sample_object()).pretty(),
            R"(GeometryObject {
    name: "base_link_0",
    parent_joint: 1,
    parent_frame: 2,
    disable_collision: false,
    mesh_color: Color(
        [
            [
                0.0,
                0.0,
                0.0,
                1.0,
            ],
        ],
    ),
    placement: SE3(
        Isometry {
            rotation: [
                [
                    1.0,
                    0.0,
                    0.0,
                ],
                [
                    0.0,
                    1.0,
                    0.0,
                ],
                [
                    0.0,
                    0.0,
                    1.0,
                ],
            ],
            translation: [
                1.0,
                -2.0,
                0.5,
            ],
        },
    ),
})");
}

}  // namespace
}  // namespace kinetra
