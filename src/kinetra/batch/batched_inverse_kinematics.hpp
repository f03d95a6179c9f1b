#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <span>

#include "kinetra/model/inverse_kinematics.hpp"

namespace kinetra::batch {

// Where the solutions of n targets go, each a row-major array of n rows.
struct InverseKinematicsOutput {
  double* q;                 // n x nq
  std::uint8_t* success;     // n, 1 for a target reached
  double* error;             // n x 6, or n x 3 for position_only
  std::int64_t* iterations;  // n
};

// inverse_kinematics of every target on up to `threads` threads of the shared pool. Row i starts
// from row i of q0 (n x nq), or from q0 itself when `shared_start`, and restarts from its own
// generator seeded with seed + i: the same as the single call with that seed. Everything is
// checked before any row is solved: a failing call writes nothing.
std::expected<void, InverseKinematicsError> inverse_kinematics(
    const Model& model, std::size_t frame_id, std::span<const SE3> targets, const double* q0,
    bool shared_start, const InverseKinematicsOptions& options, std::uint64_t seed,
    const InverseKinematicsOutput& out, std::size_t threads);

}  // namespace kinetra::batch
