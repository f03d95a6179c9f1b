#include "kinetra/batch/batched_derivatives.hpp"

#include "kinetra/batch/for_each_row.hpp"
#include "kinetra/model/derivatives.hpp"

namespace kinetra::batch {

namespace {

using Rows = Eigen::Map<DerivativeMatrix>;

// Matrix i of a row-major array of rows x cols matrices.
Rows matrix(double* values, std::size_t i, std::size_t rows, std::size_t cols) {
  return {values + i * rows * cols, static_cast<Eigen::Index>(rows),
          static_cast<Eigen::Index>(cols)};
}

// A row costs about this many single-state rnea calls.
constexpr std::size_t derivative_weight = 8;

// Runs one of the three-matrix derivatives, f(model, data, q, v, x, by_q, by_v, by_x), per row.
template <class F>
std::expected<void, AlgorithmError> three_matrices(const Model& model, std::size_t n,
                                                   const double* q, const double* v,
                                                   const double* x, double* by_q, double* by_v,
                                                   double* by_x, std::size_t threads, F&& f) {
  if (auto ok = check_rows(model, n, q); !ok) return ok;
  const std::size_t nq = model.nq(), nv = model.nv();
  return for_each_row(
      model, n, threads,
      [&](Data& data, std::size_t i) {
        return f(model, data, row(q, i, nq), row(v, i, nv), row(x, i, nv),
                 matrix(by_q, i, nv, nv), matrix(by_v, i, nv, nv), matrix(by_x, i, nv, nv));
      },
      derivative_weight);
}

}  // namespace

std::expected<void, AlgorithmError> rnea_derivatives(const Model& model, std::size_t n,
                                                     const double* q, const double* v,
                                                     const double* a, double* by_q, double* by_v,
                                                     double* by_a, std::size_t threads) {
  return three_matrices(model, n, q, v, a, by_q, by_v, by_a, threads,
                        [](auto&&... args) { return kinetra::rnea_derivatives(args...); });
}

std::expected<void, AlgorithmError> aba_derivatives(const Model& model, std::size_t n,
                                                    const double* q, const double* v,
                                                    const double* tau, double* by_q, double* by_v,
                                                    double* by_tau, std::size_t threads) {
  return three_matrices(model, n, q, v, tau, by_q, by_v, by_tau, threads,
                        [](auto&&... args) { return kinetra::aba_derivatives(args...); });
}

std::expected<void, AlgorithmError> step_derivatives(const Model& model, std::size_t n,
                                                     const double* q, const double* v,
                                                     const double* tau, double dt,
                                                     double* by_state, double* by_effort,
                                                     std::size_t threads) {
  if (auto ok = check_rows(model, n, q); !ok) return ok;
  const std::size_t nq = model.nq(), nv = model.nv();
  return for_each_row(
      model, n, threads,
      [&](Data& data, std::size_t i) {
        return kinetra::step_derivatives(model, data, row(q, i, nq), row(v, i, nv),
                                         row(tau, i, nv), dt, matrix(by_state, i, 2 * nv, 2 * nv),
                                         matrix(by_effort, i, 2 * nv, nv));
      },
      derivative_weight);
}

}  // namespace kinetra::batch
