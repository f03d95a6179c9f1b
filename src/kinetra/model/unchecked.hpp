#pragma once

#include "kinetra/model/model.hpp"

// The dynamics for arguments checked once at a boundary (the single call, a batch, a rollout):
// q, v, a, tau of nq, nv, nv, nv values whose quaternions have a finite non-zero norm, and data
// sized for the model (check_data). Nothing is checked here.
namespace kinetra::unchecked {

// tau = rnea(q, v, a); a null v or a stands for zero
void rnea(const Model& model, Data& data, const double* q, const double* v, const double* a,
          double* tau);
// qdd = aba(q, v, tau)
void aba(const Model& model, Data& data, const double* q, const double* v, const double* tau,
         double* qdd);
// M(q), column-major with leading dimension `stride`
void crba(const Model& model, Data& data, const double* q, double* mass, std::size_t stride);

}  // namespace kinetra::unchecked
