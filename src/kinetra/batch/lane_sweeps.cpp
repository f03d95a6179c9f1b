#include "kinetra/batch/lane_sweeps.hpp"

#include <algorithm>
#include <vector>

#include "kinetra/batch/lanes.hpp"
#include "kinetra/model/aba_kernel.hpp"
#include "kinetra/model/rnea_kernel.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra::batch {
namespace {

// A thread's tables for groups of N states: the group's inputs and results as lanes, and the
// sweeps' workspaces, sized for the model last used.
template <int N>
struct LaneWorkspace {
  std::vector<Lanes<N>> q, v, x, out;  // (nq), (nv): v, a or tau, and the result
  kernel::RneaWorkspace<Lanes<N>> rnea;
  kernel::AbaWorkspace<Lanes<N>> aba;
};

// Kept out of the sweeps: resizing only allocates when the model grew.
template <int N>
[[gnu::noinline]] LaneWorkspace<N>& thread_lanes(const CompiledModel& model) {
  thread_local LaneWorkspace<N> ws;
  ws.q.resize(model.nq);
  ws.v.resize(model.nv);
  ws.x.resize(model.nv);
  ws.out.resize(model.nv);
  ws.rnea.resize(model.njoints);
  ws.aba.resize(model.njoints, model.nv);
  return ws;
}

// Rows [0, count) of `width` values into lanes; the lanes past `count` repeat the last row, a
// valid state whose results are dropped.
template <int N>
const Lanes<N>* gather(const double* rows, std::size_t count, std::size_t width,
                       std::vector<Lanes<N>>& lanes) {
  if (!rows) return nullptr;
  for (int l = 0; l < N; ++l) {
    const std::size_t from = std::min(static_cast<std::size_t>(l), count - 1);
    const double* row = rows + from * width;
    for (std::size_t j = 0; j < width; ++j) lanes[j].set(l, row[j]);
  }
  return lanes.data();
}

template <int N>
void scatter(const std::vector<Lanes<N>>& lanes, std::size_t count, std::size_t width,
             double* rows) {
  for (std::size_t l = 0; l < count; ++l) {
    for (std::size_t j = 0; j < width; ++j) rows[l * width + j] = lanes[j][static_cast<int>(l)];
  }
}

// One sweep over a group of up to N states: (q, v, x) rows in, `out` rows of nv values out.
template <int N, class Kernel>
void group(const CompiledModel& model, std::size_t count, const double* q, const double* v,
           const double* x, double* out, Kernel&& kernel) {
  LaneWorkspace<N>& ws = thread_lanes<N>(model);
  kernel(ws, gather(q, count, model.nq, ws.q), gather(v, count, model.nv, ws.v),
         gather(x, count, model.nv, ws.x), ws.out.data());
  scatter(ws.out, count, model.nv, out);
}

template <int N>
void rnea_group(const CompiledModel& model, std::size_t count, const double* q, const double* v,
                const double* a, double* tau) {
  group<N>(model, count, q, v, a, tau,
           [&](LaneWorkspace<N>& ws, auto*... in) { kernel::rnea(model, ws.rnea, in...); });
}

template <int N>
void aba_group(const CompiledModel& model, std::size_t count, const double* q, const double* v,
               const double* tau, double* qdd) {
  group<N>(model, count, q, v, tau, qdd,
           [&](LaneWorkspace<N>& ws, auto*... in) { kernel::aba(model, ws.aba, in...); });
}

using Sweep = void (*)(const CompiledModel&, std::size_t, const double*, const double*,
                       const double*, double*);

struct Sweeps {
  std::size_t lanes = 0;
  Sweep rnea = nullptr;
  Sweep aba = nullptr;
};

#if defined(__x86_64__) && defined(__GNUC__)
// two lanes in SSE2 registers, which every x86-64 processor has
KINETRA_FLATTEN void rnea_sse2(const CompiledModel& model, std::size_t count, const double* q,
                               const double* v, const double* a, double* tau) {
  rnea_group<2>(model, count, q, v, a, tau);
}
KINETRA_FLATTEN void aba_sse2(const CompiledModel& model, std::size_t count, const double* q,
                              const double* v, const double* tau, double* qdd) {
  aba_group<2>(model, count, q, v, tau, qdd);
}
// four lanes in AVX2 registers, with fused multiply-adds
[[gnu::target("avx2,fma")]] KINETRA_FLATTEN void rnea_avx2(const CompiledModel& model,
                                                           std::size_t count, const double* q,
                                                           const double* v, const double* a,
                                                           double* tau) {
  rnea_group<4>(model, count, q, v, a, tau);
}
[[gnu::target("avx2,fma")]] KINETRA_FLATTEN void aba_avx2(const CompiledModel& model,
                                                          std::size_t count, const double* q,
                                                          const double* v, const double* tau,
                                                          double* qdd) {
  aba_group<4>(model, count, q, v, tau, qdd);
}

Sweeps chosen_sweeps() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
    return {4, &rnea_avx2, &aba_avx2};
  }
  return {2, &rnea_sse2, &aba_sse2};
}
#else
Sweeps chosen_sweeps() { return {}; }
#endif

// chosen when the library loads
const Sweeps sweeps = chosen_sweeps();

}  // namespace

std::size_t lane_count() { return sweeps.lanes; }

void rnea_lanes(const CompiledModel& model, std::size_t count, const double* q, const double* v,
                const double* a, double* tau) {
  sweeps.rnea(model, count, q, v, a, tau);
}

void aba_lanes(const CompiledModel& model, std::size_t count, const double* q, const double* v,
               const double* tau, double* qdd) {
  sweeps.aba(model, count, q, v, tau, qdd);
}

}  // namespace kinetra::batch
