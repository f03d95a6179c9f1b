#pragma once

#include <cstddef>

#include "kinetra/export.hpp"
#include "kinetra/model/compiled_model.hpp"

// rnea and aba over a group of states at once, each state in one lane of the processor's vector
// registers: four per instruction where it has AVX2 and FMA, two with SSE2, chosen when the
// library loads. Each lane rounds as the single-state sweep does except for the order of some
// sums, fused multiply-adds and the body inertias' formula, so rows agree with the single-state
// results within rounding (RowPath::lanes) rather than bit for bit.
namespace kinetra::batch {

// The states per group on this processor; 0 where the build has no lanes (the rows are then
// computed one by one).
KINETRA_API std::size_t lane_count();

// tau = rnea(q, v, a) for `count` (1 to lane_count()) states, row-major like the batches; a null v
// or a stands for zero. The rows are checked already; nothing is checked here.
void rnea_lanes(const CompiledModel& model, std::size_t count, const double* q, const double* v,
                const double* a, double* tau);
// qdd = aba(q, v, tau) for `count` states, as rnea_lanes.
void aba_lanes(const CompiledModel& model, std::size_t count, const double* q, const double* v,
               const double* tau, double* qdd);

}  // namespace kinetra::batch
