// Dynamics of the bundled arm and the shared robots: kinetra beside KDL's recursive Newton-Euler
// solvers (ChainIdSolver_RNE on chains, TreeIdSolver_RNE on trees), its chain forward dynamics
// (ChainFdSolver_RNE) and its chain mass matrix, at the same states. Each KDL benchmark reports
// the worst difference from kinetra's result as the counter `worst_diff`. Also kinetra reading
// the Panda's URDF, as shipped and as the copy without geometry that compare.py gives MuJoCo.
// Built only when KDL is installed; run by benchmarks/compare.py.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <kdl/chaindynparam.hpp>
#include <kdl/chainfdsolver_recursive_newton_euler.hpp>
#include <kdl/chainidsolver_recursive_newton_euler.hpp>
#include <kdl/treeidsolver_recursive_newton_euler.hpp>
#include <map>
#include <memory>
#include <string>

#include "kdl_chain.hpp"
#include "kinetra/model/algorithms.hpp"
#include "shared_robot.hpp"

namespace kinetra {
namespace {

struct Robot {
  Model model;
  Data data;
  Configuration q, v, a;
  bool chain;  // every joint's parent is the joint before it
};

std::optional<Model> load(const std::string& name) {
  if (name == "arm") {
    const std::string dir = KINETRA_SOURCE_DIR "/examples/robots/kinetra_arm";
    auto models = build_models_from_urdf(dir + "/kinetra_arm.urdf", dir);
    if (!models) return std::nullopt;
    return std::move(models->model);
  }
  if (name == "iiwa") return bench::load_shared_robot("iiwa_relative_meshes", "model.urdf");
  if (name == "panda") return bench::load_shared_robot("panda_arm_hand", "panda.urdf");
  return bench::load_shared_robot("humanoid_g1", "g1_29dof.urdf");
}

// The robot with random q, v and a in [-1, 1), loaded once; null if its file is absent.
Robot* robot(const std::string& name) {
  static std::map<std::string, std::unique_ptr<Robot>> loaded;
  auto [it, fresh] = loaded.try_emplace(name);
  if (fresh) {
    if (auto model = load(name)) {
      Rng rng(1);
      const auto nv = static_cast<Eigen::Index>(model->nv());
      Configuration v(nv), a(nv);
      for (double& x : v) x = 2 * uniform01(rng) - 1;
      for (double& x : a) x = 2 * uniform01(rng) - 1;
      Configuration q = *random_configuration(*model, rng);
      bool chain = true;
      for (std::size_t i = 1; i < model->njoints(); ++i) {
        chain = chain && model->joint_parents()[i] == i - 1;
      }
      Data data = model->create_data();
      it->second.reset(new Robot{std::move(*model), std::move(data), q, v, a, chain});
    }
  }
  return it->second.get();
}

KDL::JntArray kdl_array(const Configuration& x) {
  KDL::JntArray array(static_cast<unsigned>(x.size()));
  array.data = x;
  return array;
}

void label(benchmark::State& bench, const Robot& r) {
  bench.SetLabel("nv " + std::to_string(r.model.nv()));
}

template <class Call>
void run(benchmark::State& bench, Robot* r, Call call) {
  if (!r) {
    bench.SkipWithError("robot file absent");
    return;
  }
  label(bench, *r);
  for (auto _ : bench) {
    benchmark::DoNotOptimize(call(*r));
    benchmark::ClobberMemory();
  }
}

void kdl_rnea(benchmark::State& bench, Robot* r) {
  if (!r) {
    bench.SkipWithError("robot file absent");
    return;
  }
  label(bench, *r);
  const Model& model = r->model;
  const KDL::Vector gravity = bench::kdl_vector(model.gravity());
  const KDL::JntArray q = kdl_array(r->q), v = kdl_array(r->v), a = kdl_array(r->a);
  KDL::JntArray tau(static_cast<unsigned>(model.nv()));
  const KDL::Chain chain = bench::kdl_chain(model, model.njoints() - 1);
  const KDL::Tree tree = bench::kdl_tree(model);
  KDL::ChainIdSolver_RNE chain_solver(chain, gravity);
  KDL::TreeIdSolver_RNE tree_solver(tree, gravity);
  const KDL::Wrenches chain_wrenches(chain.getNrOfSegments(), KDL::Wrench::Zero());
  const KDL::WrenchMap tree_wrenches;
  auto solve = [&] {
    return r->chain ? chain_solver.CartToJnt(q, v, a, chain_wrenches, tau)
                    : tree_solver.CartToJnt(q, v, a, tree_wrenches, tau);
  };
  solve();
  bench.counters["worst_diff"] =
      (tau.data - *rnea(model, r->data, r->q, r->v, r->a)).cwiseAbs().maxCoeff();
  for (auto _ : bench) {
    benchmark::DoNotOptimize(solve());
    benchmark::ClobberMemory();
  }
}

// Forward dynamics with a as the efforts, as kinetra's aba is timed.
void kdl_aba(benchmark::State& bench, Robot* r) {
  if (!r || !r->chain) {
    bench.SkipWithError(r ? "KDL's forward dynamics needs a chain" : "robot file absent");
    return;
  }
  label(bench, *r);
  const Model& model = r->model;
  const KDL::Chain chain =
      bench::kdl_chain(model, model.njoints() - 1);  // the solver keeps a reference
  KDL::ChainFdSolver_RNE solver(chain, bench::kdl_vector(model.gravity()));
  const KDL::JntArray q = kdl_array(r->q), v = kdl_array(r->v), tau = kdl_array(r->a);
  const KDL::Wrenches wrenches(chain.getNrOfSegments(), KDL::Wrench::Zero());
  KDL::JntArray ddq(static_cast<unsigned>(model.nv()));
  solver.CartToJnt(q, v, tau, wrenches, ddq);
  bench.counters["worst_diff"] =
      (ddq.data - *aba(model, r->data, r->q, r->v, r->a)).cwiseAbs().maxCoeff();
  for (auto _ : bench) {
    benchmark::DoNotOptimize(solver.CartToJnt(q, v, tau, wrenches, ddq));
    benchmark::ClobberMemory();
  }
}

void kdl_mass(benchmark::State& bench, Robot* r) {
  if (!r || !r->chain) {
    bench.SkipWithError(r ? "KDL's mass matrix needs a chain" : "robot file absent");
    return;
  }
  label(bench, *r);
  const Model& model = r->model;
  const KDL::Chain chain =
      bench::kdl_chain(model, model.njoints() - 1);  // the solver keeps a reference
  KDL::ChainDynParam solver(chain, bench::kdl_vector(model.gravity()));
  const KDL::JntArray q = kdl_array(r->q);
  KDL::JntSpaceInertiaMatrix mass(static_cast<unsigned>(model.nv()));
  solver.JntToMass(q, mass);
  bench.counters["worst_diff"] = (mass.data - *crba(model, r->data, r->q)).cwiseAbs().maxCoeff();
  for (auto _ : bench) {
    benchmark::DoNotOptimize(solver.JntToMass(q, mass));
    benchmark::ClobberMemory();
  }
}

// Reading `file` with relative mesh names taken from its folder; skipped when it is absent.
void load_urdf(benchmark::State& bench, const std::filesystem::path& file) {
  if (!std::filesystem::is_regular_file(file)) {
    bench.SkipWithError("robot file absent");
    return;
  }
  for (auto _ : bench) {
    auto models = build_models_from_urdf(file.string(), file.parent_path().string());
    if (!models) {
      bench.SkipWithError(models.error().display().c_str());
      break;
    }
    benchmark::DoNotOptimize(models);
  }
}

// names: <algorithm>/<engine>/<robot>
const bool registered = [] {
  for (const char* name : {"arm", "iiwa", "panda", "g1"}) {
    const std::string robot_name = name;
    auto get = [robot_name] { return robot(robot_name); };
    benchmark::RegisterBenchmark(("fk/kinetra/" + robot_name).c_str(), [get](auto& b) {
      run(b, get(), [](Robot& r) { return forward_kinematics(r.model, r.data, r.q); });
    });
    benchmark::RegisterBenchmark(("rnea/kinetra/" + robot_name).c_str(), [get](auto& b) {
      run(b, get(), [](Robot& r) { return rnea(r.model, r.data, r.q, r.v, r.a); });
    });
    benchmark::RegisterBenchmark(("aba/kinetra/" + robot_name).c_str(), [get](auto& b) {
      run(b, get(), [](Robot& r) { return aba(r.model, r.data, r.q, r.v, r.a); });
    });
    benchmark::RegisterBenchmark(("crba/kinetra/" + robot_name).c_str(), [get](auto& b) {
      run(b, get(), [](Robot& r) { return crba(r.model, r.data, r.q); });
    });
    benchmark::RegisterBenchmark(("rnea/kdl/" + robot_name).c_str(),
                                 [get](auto& b) { kdl_rnea(b, get()); });
    benchmark::RegisterBenchmark(("aba/kdl/" + robot_name).c_str(),
                                 [get](auto& b) { kdl_aba(b, get()); });
    benchmark::RegisterBenchmark(("crba/kdl/" + robot_name).c_str(),
                                 [get](auto& b) { kdl_mass(b, get()); });
  }
  benchmark::RegisterBenchmark("load/kinetra/panda", [](auto& b) {
    load_urdf(b, bench::shared_robot_dir("panda_arm_hand") / "panda.urdf");
  });
  benchmark::RegisterBenchmark("load_copy/kinetra/panda", [](auto& b) {
    const char* copy = std::getenv("KINETRA_PANDA_COPY");
    load_urdf(b, copy ? copy : "");
  });
  return true;
}();

}  // namespace
}  // namespace kinetra
