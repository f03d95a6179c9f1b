#include "kinetra/spatial/debug.hpp"

#include <gtest/gtest.h>

namespace kinetra {
namespace {

TEST(DebugSE3Test, IdentityCompact) {
  EXPECT_EQ(debug_value(SE3::identity()).compact(),
            "SE3(Isometry { rotation: [[1.0, 0.0, 0.0], [0.0, 1.0, 0.0], [0.0, 0.0, 1.0]], "
            "translation: [0.0, 0.0, 0.0] })");
}

TEST(DebugSE3Test, IdentityPretty) {
  EXPECT_EQ(debug_value(SE3::identity()).pretty(),
            "SE3(\n"
            "    Isometry {\n"
            "        rotation: [\n"
            "            [\n                1.0,\n                0.0,\n                0.0,\n"
            "            ],\n"
            "            [\n                0.0,\n                1.0,\n                0.0,\n"
            "            ],\n"
            "            [\n                0.0,\n                0.0,\n                1.0,\n"
            "            ],\n"
            "        ],\n"
            "        translation: [\n"
            "            0.0,\n"
            "            0.0,\n"
            "            0.0,\n"
            "        ],\n"
            "    },\n"
            ")");
}

TEST(DebugSE3Test, RotationPrintsColumns) {
  SE3 m;
  m.rotation << 0, -1, 0, 1, 0, 0, 0, 0, 1;  // quarter turn about z, rows given
  m.translation = Vector3D(1, 2.5, 1e-5);
  EXPECT_EQ(debug_value(m).compact(),
            "SE3(Isometry { rotation: [[0.0, 1.0, 0.0], [-1.0, 0.0, 0.0], [0.0, 0.0, 1.0]], "
            "translation: [1.0, 2.5, 1e-5] })");
}

TEST(DebugConfigurationTest, TwoEntries) {
  Configuration c(2);
  c << 1.0, 2.5;
  EXPECT_EQ(debug_value(c).compact(),
            "Configuration(VecStorage { data: [1.0, 2.5], nrows: Dyn(2), ncols: Const })");
  EXPECT_EQ(debug_value(c).pretty(),
            "Configuration(\n"
            "    VecStorage {\n"
            "        data: [\n"
            "            1.0,\n"
            "            2.5,\n"
            "        ],\n"
            "        nrows: Dyn(\n"
            "            2,\n"
            "        ),\n"
            "        ncols: Const,\n"
            "    },\n"
            ")");
}

TEST(DebugConfigurationTest, NoEntries) {
  EXPECT_EQ(debug_value(Configuration(0)).pretty(),
            "Configuration(\n"
            "    VecStorage {\n"
            "        data: [],\n"
            "        nrows: Dyn(\n"
            "            0,\n"
            "        ),\n"
            "        ncols: Const,\n"
            "    },\n"
            ")");
}

TEST(DebugColorTest, CompactAndPretty) {
  const Color c{0.9, 0.9, 0.9, 1.0};
  EXPECT_EQ(debug_value(c).compact(), "Color([[0.9, 0.9, 0.9, 1.0]])");
  EXPECT_EQ(debug_value(c).pretty(),
            "Color(\n    [\n        [\n            0.9,\n            0.9,\n            0.9,\n"
            "            1.0,\n        ],\n    ],\n)");
}

}  // namespace
}  // namespace kinetra
