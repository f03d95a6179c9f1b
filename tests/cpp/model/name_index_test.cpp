#include "kinetra/model/name_index.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kinetra/model/model.hpp"

namespace kinetra {
namespace {

struct Names {
  const std::vector<std::string>& names;
  std::string_view operator()(std::size_t id) const { return names[id]; }
};

TEST(NameIndex, FindsEveryNameThroughGrowthAndKeepsTheFirstId) {
  for (const bool reserved : {false, true}) {
    std::vector<std::string> names;
    NameIndex index;
    if (reserved) index.reserve(5'000);
    for (std::size_t i = 0; i < 5'000; ++i) {
      names.push_back("link_" + std::to_string(i));
      EXPECT_EQ(index.insert(names.back(), i, Names{names}), std::nullopt);
    }
    // a name stored already keeps its id and is not stored again
    EXPECT_EQ(index.insert("link_17", 5'000, Names{names}), 17u);
    EXPECT_EQ(index.size(), 5'000u);
    for (std::size_t i = 0; i < names.size(); ++i) {
      ASSERT_EQ(index.find(names[i], Names{names}), i) << names[i];
    }
    for (const char* absent : {"", "link_", "link_5000", "link_17 ", "LINK_1"}) {
      EXPECT_EQ(index.find(absent, Names{names}), std::nullopt) << absent;
    }
  }
  EXPECT_EQ(NameIndex().find("a", Names{{}}), std::nullopt);
}

TEST(ModelNames, AnyTypeLookupGivesTheFirstFrameOfTheName) {
  Model model;
  const auto add = [&](const char* name, FrameType type) {
    return *model.add_frame(Frame{name, 0, 0, SE3::identity(), type, Inertia::zeros()}, false);
  };
  EXPECT_EQ(add("tool", FrameType::Sensor), 1u);
  EXPECT_EQ(add("tool", FrameType::Body), 2u);
  EXPECT_EQ(add("base", FrameType::Body), 3u);
  EXPECT_EQ(add("base", FrameType::Operational), 4u);
  EXPECT_EQ(model.get_frame_id("tool"), 1u);
  EXPECT_EQ(model.get_frame_id("base"), 3u);
  EXPECT_EQ(model.get_frame_id("__WORLD_FRAME__"), 0u);
  EXPECT_EQ(model.get_frame_id("none"), std::nullopt);

  // a copy looks up its own frames
  Model copy = model;
  EXPECT_EQ(add("late", FrameType::Body), 5u);
  EXPECT_EQ(copy.get_frame_id("late"), std::nullopt);
  EXPECT_EQ(copy.get_frame_id("tool", FrameType::Body), 2u);
}

}  // namespace
}  // namespace kinetra
