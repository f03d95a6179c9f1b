#include "kinetra/batch/batched_inverse_kinematics.hpp"

#include <algorithm>
#include <variant>

#include "kinetra/batch/for_each_row.hpp"
#include "kinetra/model/frames.hpp"

namespace kinetra::batch {
namespace {

// a solve costs dozens of Jacobians at least
constexpr std::size_t row_weight = 64;

}  // namespace

std::expected<void, InverseKinematicsError> inverse_kinematics(
    const Model& model, std::size_t frame_id, std::span<const SE3> targets, const double* q0,
    bool shared_start, const InverseKinematicsOptions& options, std::uint64_t seed,
    const InverseKinematicsOutput& out, std::size_t threads) {
  const std::size_t n = targets.size(), nq = model.nq();
  const std::size_t m = options.position_only ? 3 : 6;
  if (auto ok = check_frame_id(model, frame_id); !ok) return std::unexpected(ok.error());
  for (std::size_t i = 0; i < n; ++i) {
    if (auto ok = check_inverse_kinematics_request(targets[i], options); !ok) {
      return std::unexpected(ok.error());
    }
    if (shared_start && i > 0) continue;
    const ConfigurationRef start = row(q0, shared_start ? 0 : i, nq);
    if (auto ok = check_configuration(model, start); !ok) return std::unexpected(ok.error());
    if (!start.allFinite()) {
      return std::unexpected(InverseKinematicsArgumentError{"q0 must be finite"});
    }
  }
  // rows cannot fail now: their checks all passed
  auto done = for_each_row(
      model, n, threads,
      [&](Data& data, std::size_t i) -> std::expected<void, AlgorithmError> {
        Rng rng(seed + i);
        auto result = kinetra::inverse_kinematics(model, data, frame_id, targets[i],
                                                  row(q0, shared_start ? 0 : i, nq), options, rng);
        if (!result) return std::unexpected(std::get<AlgorithmError>(result.error()));
        row(out.q, i, nq) = result->q;
        out.success[i] = result->success ? 1 : 0;
        std::copy_n(result->error.data(), m, out.error + i * m);
        out.iterations[i] = static_cast<std::int64_t>(result->iterations);
        return {};
      },
      row_weight);
  if (!done) return std::unexpected(done.error());
  return {};
}

}  // namespace kinetra::batch
