// Loading URDF files: the largest shared robot and generated chains.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "kinetra/urdf/urdf.hpp"

namespace {

namespace fs = std::filesystem;

// The largest description under the shared robots folder, with ROS_PACKAGE_PATH set for it.
std::optional<fs::path> largest_shared_robot() {
  const fs::path root = KINETRA_SOURCE_DIR "/../shared/robots";
  if (!fs::is_directory(root)) return std::nullopt;
  std::optional<fs::path> largest;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.path().extension() != ".urdf") continue;
    if (!largest || entry.file_size() > fs::file_size(*largest)) largest = entry.path();
  }
  if (!largest) return std::nullopt;
  std::string package_path;
  const fs::path packages = largest->parent_path() / "_packages";
  if (fs::is_directory(packages)) {
    for (const auto& package : fs::directory_iterator(packages)) {
      if (!package_path.empty()) package_path += ':';
      package_path += package.path().string();
    }
  }
  ::setenv("ROS_PACKAGE_PATH", package_path.c_str(), 1);
  return largest;
}

void BM_LoadLargestSharedRobot(benchmark::State& state) {
  const auto file = largest_shared_robot();
  if (!file) {
    state.SkipWithError("no shared robots");
    return;
  }
  state.SetLabel(file->filename().string());
  const std::string package_dir = file->parent_path().string();
  for (auto _ : state) {
    auto models = kinetra::build_models_from_urdf(file->string(), package_dir);
    if (!models) state.SkipWithError(models.error().display().c_str());
    benchmark::DoNotOptimize(models);
  }
}
BENCHMARK(BM_LoadLargestSharedRobot)->Unit(benchmark::kMicrosecond);

// The Panda with its hand (9 joints, 22 meshes): the figure kept in docs/benchmarks.md. The
// argument says whether the mesh files are checked (each one an existence query to the system).
void BM_LoadPanda(benchmark::State& state) {
  const fs::path dir = KINETRA_SOURCE_DIR "/../shared/robots/panda_arm_hand";
  if (!fs::is_regular_file(dir / "panda.urdf")) {
    state.SkipWithError("no shared robots");
    return;
  }
  const kinetra::MeshLookup meshes{dir.string(), {}, state.range(0) != 0, {}};
  for (auto _ : state) {
    auto models = kinetra::build_models_from_urdf((dir / "panda.urdf").string(), meshes);
    if (!models) state.SkipWithError(models.error().display().c_str());
    benchmark::DoNotOptimize(models);
  }
}
BENCHMARK(BM_LoadPanda)->ArgName("check_meshes")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// The joints of a chain of `n` revolute joints; `joint_body` follows each <parent>/<child> pair.
std::string chain_joints(std::int64_t n, std::string_view joint_body) {
  std::string xml;
  for (std::int64_t i = 0; i < n; ++i) {
    xml += "<joint name=\"joint_" + std::to_string(i) +
           "\" type=\"revolute\"><parent link=\"link_" + std::to_string(i) +
           "\"/><child link=\"link_" + std::to_string(i + 1) + "\"/>";
    xml += joint_body;
    xml += "</joint>\n";
  }
  return xml;
}

constexpr std::string_view joint_body =
    R"(<origin xyz="0 0 0.1" rpy="0 0 0.1"/><axis xyz="0 1 0"/>)"
    R"(<limit lower="-1" upper="1" effort="10" velocity="2"/>)";

// Links with names only.
std::string plain_chain(std::int64_t n) {
  std::string xml = R"(<robot name="chain">)";
  for (std::int64_t i = 0; i <= n; ++i) xml += "<link name=\"link_" + std::to_string(i) + "\"/>\n";
  return xml + chain_joints(n, joint_body) + "</robot>";
}

// Every link has an inertial, a collision box and a visual cylinder with a material.
std::string rich_chain(std::int64_t n) {
  std::string xml = R"(<robot name="chain"><material name="m"><color rgba="1 0 0 1"/></material>)";
  for (std::int64_t i = 0; i <= n; ++i) {
    xml += "<link name=\"link_" + std::to_string(i) + R"("><inertial><origin xyz="0 0 0.05"/>
      <mass value="1.5"/><inertia ixx="0.01" ixy="0" ixz="0" iyy="0.01" iyz="0" izz="0.002"/>
      </inertial><collision><origin xyz="0 0 0.05"/><geometry><box size="0.05 0.05 0.1"/>
      </geometry></collision><visual><geometry><cylinder radius="0.02" length="0.1"/></geometry>
      <material name="m"/></visual></link>)";
  }
  return xml + chain_joints(n, joint_body) + "</robot>";
}

// Writes the description once into a temporary folder and loads it from there, as real use does.
void load_file(benchmark::State& state, const std::string& xml, const char* kind) {
  const fs::path file =
      fs::temp_directory_path() /
      ("kinetra_urdf_bench_" + std::string(kind) + "_" + std::to_string(state.range(0)) + ".urdf");
  std::ofstream(file, std::ios::binary) << xml;
  for (auto _ : state) {
    auto models = kinetra::build_models_from_urdf(file.string(), std::nullopt);
    if (!models) state.SkipWithError(models.error().display().c_str());
    benchmark::DoNotOptimize(models);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * xml.size()));
  fs::remove(file);
}

void BM_LoadPlainChain(benchmark::State& state) {
  load_file(state, plain_chain(state.range(0)), "plain");
}
BENCHMARK(BM_LoadPlainChain)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_LoadRichChain(benchmark::State& state) {
  load_file(state, rich_chain(state.range(0)), "rich");
}
BENCHMARK(BM_LoadRichChain)
    ->Arg(10'000)
    ->Arg(20'000)
    ->Arg(40'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
