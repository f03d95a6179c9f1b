// Every input that ever made the fuzzer fail, replayed through the same steps.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../fuzz/exercise_urdf.hpp"

namespace kinetra {
namespace {

namespace fs = std::filesystem;

TEST(FuzzRegressions, ReplayWithoutFault) {
  const fs::path folder = KINETRA_SOURCE_DIR "/tests/fuzz/regressions";
  std::size_t replayed = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().filename() == "README.md") continue;
    SCOPED_TRACE(entry.path().string());
    std::ostringstream text;
    text << std::ifstream(entry.path(), std::ios::binary).rdbuf();
    exercise_urdf(text.str());
    ++replayed;
  }
  EXPECT_GT(replayed, 0u);
}

}  // namespace
}  // namespace kinetra
