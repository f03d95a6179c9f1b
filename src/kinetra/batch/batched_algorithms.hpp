#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <span>

#include "kinetra/export.hpp"
#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/jacobians.hpp"
#include "kinetra/model/model.hpp"

// The rigid-body algorithms over batches of n states. Inputs and outputs are row-major arrays
// of n rows held by the caller: q has n x nq values, v, a and tau n x nv. Each row is computed
// by the single-state algorithm, so results are bit-for-bit the same (but for the dynamics'
// RowPath::lanes), on up to `threads` threads of the shared pool, each with a workspace of its
// own. The model must stay unchanged during the call. Every row of q is checked before any row
// is written, so that a refused value fails the call with no row written, naming the first row
// refused ("row 700: ..."); the other errors do not depend on the values. A call stopped through
// interrupt_requested() fails with InterruptedError, its rows partly written.
namespace kinetra::batch {

// How the dynamics compute their rows. `exact`: each row by the single-state algorithm, bit for
// bit its result. `lanes`: several rows per instruction in the processor's vector lanes (four
// with AVX2 and FMA, two with SSE2; one by one off x86-64), with the checks and errors of
// `exact`. A row x then differs from the single-state row y by rounding only: efforts by
// max |x - y| <= 1e-12 max(1, max |y|); accelerations through the efforts they take,
// max |M (x - y)| <= 1e-12 max(1, max |M| |y|) (entrywise |.|), as M's conditioning magnifies
// any two roundings of the solve alike.
enum class RowPath : std::uint8_t { exact, lanes };

// n x njoints x 4 x 4 world placements of the joints (homogeneous matrices, row-major).
KINETRA_API std::expected<void, AlgorithmError> forward_kinematics(const Model& model,
                                                                   std::size_t n, const double* q,
                                                                   double* placements,
                                                                   std::size_t threads);

// n x len(frame_ids) x 4 x 4 world placements of the frames, after forward kinematics.
KINETRA_API std::expected<void, AlgorithmError> frame_placements(
    const Model& model, std::size_t n, const double* q, std::span<const std::size_t> frame_ids,
    double* placements, std::size_t threads);

// n x 6 x nv frame Jacobians of `kind`.
KINETRA_API std::expected<void, AlgorithmError> frame_jacobian(const Model& model, std::size_t n,
                                                               const double* q,
                                                               std::size_t frame_id,
                                                               JacobianKind kind, double* jacobians,
                                                               std::size_t threads);

// n x 3 world centres of mass.
KINETRA_API std::expected<void, AlgorithmError> center_of_mass(const Model& model, std::size_t n,
                                                               const double* q, double* centers,
                                                               std::size_t threads);

// n x nq configurations: each q moved by its v for unit time.
KINETRA_API std::expected<void, AlgorithmError> integrate(const Model& model, std::size_t n,
                                                          const double* q, const double* v,
                                                          double* q_out, std::size_t threads);

// n x nv efforts.
KINETRA_API std::expected<void, AlgorithmError> rnea(const Model& model, std::size_t n,
                                                     const double* q, const double* v,
                                                     const double* a, double* tau,
                                                     std::size_t threads,
                                                     RowPath path = RowPath::exact);
KINETRA_API std::expected<void, AlgorithmError> nonlinear_effects(const Model& model, std::size_t n,
                                                                  const double* q, const double* v,
                                                                  double* tau, std::size_t threads,
                                                                  RowPath path = RowPath::exact);
KINETRA_API std::expected<void, AlgorithmError> generalized_gravity(const Model& model,
                                                                    std::size_t n, const double* q,
                                                                    double* tau,
                                                                    std::size_t threads,
                                                                    RowPath path = RowPath::exact);

// n x nv accelerations.
KINETRA_API std::expected<void, AlgorithmError> aba(const Model& model, std::size_t n,
                                                    const double* q, const double* v,
                                                    const double* tau, double* a,
                                                    std::size_t threads,
                                                    RowPath path = RowPath::exact);

// n x nv x nv mass matrices.
KINETRA_API std::expected<void, AlgorithmError> crba(const Model& model, std::size_t n,
                                                     const double* q, double* mass,
                                                     std::size_t threads);

// n energies.
KINETRA_API std::expected<void, AlgorithmError> kinetic_energy(const Model& model, std::size_t n,
                                                               const double* q, const double* v,
                                                               double* energy, std::size_t threads);
KINETRA_API std::expected<void, AlgorithmError> potential_energy(const Model& model, std::size_t n,
                                                                 const double* q, double* energy,
                                                                 std::size_t threads);

}  // namespace kinetra::batch
