#include "kinetra/model/serialization.hpp"

#include <gtest/gtest.h>

#include "kinetra/model/algorithms.hpp"
#include "random_tree.hpp"

namespace kinetra {
namespace {

using testing::random_q;
using testing::random_tree;
using testing::random_v;

Model tree_with_frames(Rng& rng) {
  Model model = random_tree(rng, 9);
  model.set_name("tree");
  model.set_gravity({0.5, -1.0, -3.0});
  model.inertia(0) = testing::random_inertia(rng);
  model.frame(0).placement = SE3::random(rng);
  model.add_frame({"tip", 3, 1, SE3::random(rng), FrameType::Operational, Inertia::zeros()}, false);
  return model;
}

TEST(Serialization, ModelRoundTripGivesBitIdenticalResults) {
  Rng rng(11);
  const Model model = tree_with_frames(rng);
  const std::string bytes = to_bytes(model);
  auto copy = from_bytes<Model>(bytes);
  ASSERT_TRUE(copy) << copy.error().message;
  EXPECT_EQ(to_bytes(*copy), bytes);
  Data data = model.create_data(), copy_data = copy->create_data();
  for (int k = 0; k < 5; ++k) {
    const Configuration q = random_q(model, rng), v = random_v(model, rng),
                        a = random_v(model, rng);
    EXPECT_EQ(*rnea(model, data, q, v, a), *rnea(*copy, copy_data, q, v, a));
    EXPECT_EQ(*aba(model, data, q, v, a), *aba(*copy, copy_data, q, v, a));
    EXPECT_EQ(*crba(model, data, q), *crba(*copy, copy_data, q));
  }
  EXPECT_EQ(copy->frames()[0].placement.translation, model.frames()[0].placement.translation);
  EXPECT_EQ(copy->gravity(), model.gravity());
  EXPECT_EQ(copy->get_frame_id("tip"), model.get_frame_id("tip"));
}

TEST(Serialization, EveryTruncationAndNoFlipBreaksTheReader) {
  Rng rng(3);
  const std::string bytes = to_bytes(tree_with_frames(rng));
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    EXPECT_FALSE(from_bytes<Model>(bytes.substr(0, n))) << n;
  }
  for (int trial = 0; trial < 3000; ++trial) {
    std::string edited = bytes;
    for (int flips = 1 + static_cast<int>(rng() % 3); flips > 0; --flips) {
      edited[rng() % edited.size()] ^= static_cast<char>(1u << (rng() % 8));
    }
    // either refused or a model the model's own checks accept
    if (auto model = from_bytes<Model>(edited)) {
      Data data = model->create_data();
      EXPECT_TRUE(crba(*model, data, *neutral(*model)));
    }
  }
}

TEST(Serialization, RefusalsSayWhy) {
  const std::string bytes = to_bytes(JointModel::revolute({0, 0, 2}));
  std::string newer = bytes;
  newer[4] = 3;
  EXPECT_EQ(from_bytes<JointModel>(newer).error().message,
            "unsupported kinetra payload version 3 (this build reads version 2)");
  EXPECT_EQ(from_bytes<JointModel>("junk").error().message, "not a kinetra payload");
  EXPECT_EQ(from_bytes<Frame>(bytes).error().message,
            "the payload holds a JointModel, not a Frame");
  EXPECT_EQ(from_bytes<JointModel>(bytes + "x").error().message,
            "corrupt kinetra payload: 1 bytes after the JointModel");
  const std::string placement = to_bytes(SE3::identity());
  EXPECT_EQ(from_bytes<SE3>(placement.substr(0, placement.size() - 1)).error().message,
            "corrupt kinetra payload: truncated");
  EXPECT_EQ(from_bytes<JointModel>(bytes.substr(0, bytes.size() - 1)).error().message,
            "corrupt kinetra payload: a length of 1 runs past the end");
  EXPECT_EQ(from_bytes<JointModel>(to_bytes(JointModel::revolute({0, 0, 0}))).error().message,
            "corrupt kinetra payload: a rotation axis or plane normal that is zero or not finite");
}

}  // namespace
}  // namespace kinetra
