#pragma once

#include <cstddef>
#include <expected>

#include "kinetra/model/algorithm_error.hpp"
#include "kinetra/model/model.hpp"

// Derivatives of the dynamics over batches of n states, laid out as in batched_algorithms.hpp:
// each n x rows x cols result row-major, each row the single-state call's, bit for bit. Every
// row's configuration is checked before any is computed, so a failing call writes nothing.
namespace kinetra::batch {

// n x nv x nv each: d tau / dq, d tau / dv, d tau / da.
std::expected<void, AlgorithmError> rnea_derivatives(const Model& model, std::size_t n,
                                                     const double* q, const double* v,
                                                     const double* a, double* by_q, double* by_v,
                                                     double* by_a, std::size_t threads);

// n x nv x nv each: d qdd / dq, d qdd / dv, d qdd / dtau.
std::expected<void, AlgorithmError> aba_derivatives(const Model& model, std::size_t n,
                                                    const double* q, const double* v,
                                                    const double* tau, double* by_q, double* by_v,
                                                    double* by_tau, std::size_t threads);

// n x 2nv x 2nv state and n x 2nv x nv effort Jacobians of one semi-implicit Euler step of
// length dt (finite, positive).
std::expected<void, AlgorithmError> step_derivatives(const Model& model, std::size_t n,
                                                     const double* q, const double* v,
                                                     const double* tau, double dt,
                                                     double* by_state, double* by_effort,
                                                     std::size_t threads);

}  // namespace kinetra::batch
