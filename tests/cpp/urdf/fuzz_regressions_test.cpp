// Every input that ever made a fuzzer fail, and the payload seeds, replayed through the same steps.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../fuzz/exercise_mesh.hpp"
#include "../../fuzz/exercise_payload.hpp"
#include "../../fuzz/exercise_srdf.hpp"
#include "../../fuzz/exercise_urdf.hpp"

namespace kinetra {
namespace {

namespace fs = std::filesystem;

// The number of files of `folder` (README.md aside) given to `exercise`.
template <class Exercise>
std::size_t replay(const fs::path& folder, Exercise exercise) {
  std::size_t replayed = 0;
  if (!fs::is_directory(folder)) return replayed;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().filename() == "README.md") continue;
    SCOPED_TRACE(entry.path().string());
    std::ostringstream text;
    text << std::ifstream(entry.path(), std::ios::binary).rdbuf();
    exercise(text.str());
    ++replayed;
  }
  return replayed;
}

TEST(FuzzRegressions, ReplayWithoutFault) {
  EXPECT_GT(replay(KINETRA_SOURCE_DIR "/tests/fuzz/regressions", exercise_urdf), 0u);
}

TEST(FuzzRegressions, PayloadsReplayWithoutFault) {
  EXPECT_GT(replay(KINETRA_SOURCE_DIR "/tests/fuzz/payloads", exercise_payload), 0u);
  replay(KINETRA_SOURCE_DIR "/tests/fuzz/payload_regressions", exercise_payload);
}

TEST(FuzzRegressions, SemanticDescriptionsReplayWithoutFault) {
  EXPECT_GT(replay(KINETRA_SOURCE_DIR "/tests/fuzz/srdf", exercise_srdf), 0u);
  replay(KINETRA_SOURCE_DIR "/tests/fuzz/srdf_regressions", exercise_srdf);
}

TEST(FuzzRegressions, MeshesReplayWithoutFault) {
  EXPECT_GT(replay(KINETRA_SOURCE_DIR "/tests/fuzz/meshes", exercise_mesh), 0u);
  replay(KINETRA_SOURCE_DIR "/tests/fuzz/mesh_regressions", exercise_mesh);
}

}  // namespace
}  // namespace kinetra
