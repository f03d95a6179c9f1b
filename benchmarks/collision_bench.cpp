// Pair distances of the shape kinds, and the Panda's self-collision check per configuration
// (single state and batched), exact meshes and convex hulls.
#include <benchmark/benchmark.h>

#include <Eigen/Geometry>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "kinetra/batch/batched_collisions.hpp"
#include "kinetra/geometry/collision_pairs.hpp"
#include "kinetra/geometry/collision_queries.hpp"
#include "kinetra/model/algorithms.hpp"
#include "kinetra/model/configurations.hpp"
#include "kinetra/urdf/urdf.hpp"
#include "vortan/capsule.hpp"
#include "vortan/cuboid.hpp"
#include "vortan/cylinder.hpp"
#include "vortan/mesh.hpp"
#include "vortan/sphere.hpp"

namespace {

namespace fs = std::filesystem;
using vortan::Placement;

fs::path panda_dir() {
  const char* root = std::getenv("KINETRA_SHARED_ROBOTS");
  return fs::path(root ? root : KINETRA_SOURCE_DIR "/../shared/robots") / "panda_with_meshes";
}

std::vector<std::pair<Placement, Placement>> random_placements(double spread) {
  std::mt19937 rng(1);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<std::pair<Placement, Placement>> out(256);
  for (auto& [a, b] : out) {
    for (Placement* x : {&a, &b}) {
      Eigen::Quaterniond q(u(rng), u(rng), u(rng), u(rng));
      x->rotation = q.normalized().toRotationMatrix();
      x->translation = spread * Eigen::Vector3d(u(rng), u(rng), u(rng));
    }
  }
  return out;
}

std::shared_ptr<const vortan::CollisionGeometry> made(const vortan::Shape& shape, bool hull) {
  return *vortan::make_collision_geometry(shape, hull);
}

std::string link_mesh(int k) {
  return (panda_dir() / "_packages/meshes/collision" / ("link" + std::to_string(k) + ".obj"))
      .string();
}

// state.range(0): 0 sphere-sphere, 1 sphere-cuboid, 2 capsule-capsule, 3 cuboid-cuboid,
// 4 cylinder-cylinder, 5 hull-hull (Panda links 3, 5), 6 mesh-mesh (same); range(1): 1 for the
// general solver even where a closed form exists
void BM_PairDistance(benchmark::State& state) {
  std::shared_ptr<const vortan::CollisionGeometry> a, b;
  switch (state.range(0)) {
    case 0:
      a = made(vortan::Sphere(0.1f), false), b = made(vortan::Sphere(0.15f), false);
      break;
    case 1:
      a = made(vortan::Sphere(0.1f), false), b = made(vortan::Cuboid({0.1f, 0.2f, 0.1f}), false);
      break;
    case 2:
      a = made(vortan::Capsule(0.05f, 0.2f), false), b = made(vortan::Capsule(0.06f, 0.1f), false);
      break;
    case 3:
      a = made(vortan::Cuboid({0.1f, 0.2f, 0.1f}), false),
      b = made(vortan::Cuboid({0.2f, 0.1f, 0.05f}), false);
      break;
    case 4:
      a = made(vortan::Cylinder(0.05f, 0.2f), false),
      b = made(vortan::Cylinder(0.06f, 0.1f), false);
      break;
    default:
      a = made(vortan::Mesh(link_mesh(3)), state.range(0) == 5);
      b = made(vortan::Mesh(link_mesh(5)), state.range(0) == 5);
  }
  const bool solver = state.range(1) == 1;
  const auto placements = random_placements(state.range(0) >= 5 ? 0.3 : 0.4);
  std::size_t k = 0;
  for (auto _ : state) {
    const auto& [x1, x2] = placements[k++ & 255];
    auto r = solver ? vortan::solver_distance(*a, x1, *b, x2) : vortan::distance(*a, x1, *b, x2);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_PairDistance)
    ->ArgNames({"pair", "solver"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({2, 0})
    ->Args({3, 0})
    ->Args({3, 1})
    ->Args({4, 0})
    ->Args({5, 0})
    ->Args({6, 0});

struct Panda {
  kinetra::Model model;
  kinetra::GeometryModel geometry;
  std::vector<kinetra::Configuration> states;
};

Panda load_panda(bool hulls) {
  kinetra::MeshLookup lookup;
  lookup.package_dir = panda_dir().string();
  lookup.packages["meshes"] = (panda_dir() / "_packages/meshes").string();
  auto models = kinetra::build_models_from_urdf((panda_dir() / "panda.urdf").string(), lookup);
  if (!models) std::abort();
  Panda panda{std::move(models->model), std::move(models->collision), {}};
  kinetra::add_all_collision_pairs(panda.geometry, true, panda.geometry.joint_parents);
  panda.geometry.convex_hulls = hulls;
  kinetra::Rng rng(7);
  for (int k = 0; k < 256; ++k)
    panda.states.push_back(*kinetra::random_configuration(panda.model, rng));
  return panda;
}

// one configuration: forward kinematics, placements, broad phase, exact tests (range(0): hulls)
void BM_PandaSelfCollision(benchmark::State& state) {
  if (!fs::exists(panda_dir())) return state.SkipWithError("shared robots not present");
  const Panda panda = load_panda(state.range(0) == 1);
  kinetra::Data data = panda.model.create_data();
  kinetra::GeometryData geometry_data;
  std::vector<std::uint8_t> hits(panda.geometry.collision_pairs.size());
  std::size_t k = 0;
  for (auto _ : state) {
    (void)kinetra::forward_kinematics(panda.model, data, panda.states[k++ & 255]);
    (void)geometry_data.update(data.joint_placements, panda.geometry);
    (void)kinetra::prepare_collisions(panda.geometry, geometry_data, geometry_data.collision);
    (void)kinetra::compute_collisions(panda.geometry, geometry_data.collision, false, hits);
  }
  state.counters["pairs"] = static_cast<double>(hits.size());
}
BENCHMARK(BM_PandaSelfCollision)->ArgName("hulls")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// batched on one thread, per configuration (range(0): hulls)
void BM_PandaBatchSelfCollision(benchmark::State& state) {
  if (!fs::exists(panda_dir())) return state.SkipWithError("shared robots not present");
  const Panda panda = load_panda(state.range(0) == 1);
  const std::size_t n = 256, nq = panda.model.nq(), pairs = panda.geometry.collision_pairs.size();
  std::vector<double> q(n * nq);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < nq; ++j)
      q[i * nq + j] = panda.states[i][static_cast<Eigen::Index>(j)];
  }
  std::vector<std::uint8_t> out(n * pairs);
  for (auto _ : state) {
    (void)kinetra::batch::compute_collisions(panda.model, panda.geometry, n, q.data(), out.data(),
                                             1);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}
BENCHMARK(BM_PandaBatchSelfCollision)
    ->ArgName("hulls")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
