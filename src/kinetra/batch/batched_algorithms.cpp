#include "kinetra/batch/batched_algorithms.hpp"

#include <algorithm>

#include "kinetra/batch/for_each_row.hpp"
#include "kinetra/batch/lane_sweeps.hpp"
#include "kinetra/model/algorithms.hpp"
#include "kinetra/model/unchecked.hpp"

namespace kinetra::batch {

Data& thread_workspace(const Model& model) {
  thread_local Data data;
  if (!check_data(model, data)) data = model.create_data();
  return data;
}

std::expected<void, AlgorithmError> check_rows(const Model& model, std::size_t n, const double* q) {
  if (model.quaternion_joints().empty() && model.cos_sin_joints().empty()) return {};
  const std::size_t nq = model.nq();
  for (std::size_t i = 0; i < n; ++i) {
    if (auto ok = check_configuration(model, row(q, i, nq)); !ok) {
      return std::unexpected(std::move(ok.error()).located("row " + std::to_string(i)));
    }
  }
  return {};
}

namespace {

void write(double value, double* out) { *out = value; }
void write(const Configuration& values, double* out) {
  Eigen::Map<Configuration>(out, values.size()) = values;
}
void write(const Vector3D& values, double* out) { Eigen::Map<Vector3D>{out} = values; }

// Stores a single-state result at `out`.
template <class Values>
std::expected<void, AlgorithmError> store(std::expected<Values, AlgorithmError>&& result,
                                          double* out) {
  if (!result) return std::unexpected(std::move(result.error()));
  write(*result, out);
  return {};
}

// compute(data, i) for every row, once check_rows has passed them all; the sizes and the
// workspace are checked once for the whole batch.
template <class Compute>
std::expected<void, AlgorithmError> for_each_checked_row(const Model& model, std::size_t n,
                                                         std::size_t threads, Compute&& compute) {
  return for_each_row(model, n, threads,
                      [&](Data& data, std::size_t i) -> std::expected<void, AlgorithmError> {
                        compute(data, i);
                        return {};
                      });
}

// sweep(compiled, count, q, v, x, out) over the rows in groups of lane_count(); v and x, rows of
// nv values like out, may be null.
template <class Sweep>
std::expected<void, AlgorithmError> in_lanes(const Model& model, std::size_t n, std::size_t threads,
                                             Sweep sweep, const double* q, const double* v,
                                             const double* x, double* out) {
  const std::size_t lanes = lane_count(), nq = model.nq(), nv = model.nv();
  const CompiledModel& compiled = model.compiled();
  const auto from = [&](const double* rows, std::size_t first) {
    return rows ? rows + first * nv : nullptr;
  };
  return for_each_row(
      model, (n + lanes - 1) / lanes, threads,
      [&](Data&, std::size_t group) -> std::expected<void, AlgorithmError> {
        const std::size_t first = group * lanes;
        sweep(compiled, std::min(lanes, n - first), q + first * nq, from(v, first), from(x, first),
              out + first * nv);
        return {};
      },
      lanes);
}

// A placement as a row-major homogeneous matrix of 16 values.
void write_homogeneous(const SE3& placement, double* out) {
  Eigen::Map<Eigen::Matrix4d> homogeneous(out);  // column-major map of the row-major matrix
  homogeneous.topLeftCorner<3, 3>() = placement.rotation.transpose();
  homogeneous.block<1, 3>(3, 0) = placement.translation.transpose();
  homogeneous.col(3) << 0.0, 0.0, 0.0, 1.0;
}

}  // namespace

std::expected<void, AlgorithmError> forward_kinematics(const Model& model, std::size_t n,
                                                       const double* q, double* placements,
                                                       std::size_t threads) {
  if (auto ok = check_rows(model, n, q); !ok) return ok;
  const std::size_t nq = model.nq(), njoints = model.njoints();
  return for_each_row(model, n, threads, [&](Data& data, std::size_t i) {
    auto done = kinetra::forward_kinematics(model, data, row(q, i, nq));
    if (!done) return done;
    for (std::size_t j = 0; j < njoints; ++j) {
      write_homogeneous(data.joint_placements[j], placements + (i * njoints + j) * 16);
    }
    return done;
  });
}

std::expected<void, AlgorithmError> frame_placements(const Model& model, std::size_t n,
                                                     const double* q,
                                                     std::span<const std::size_t> frame_ids,
                                                     double* placements, std::size_t threads) {
  for (std::size_t id : frame_ids) {
    if (auto ok = check_frame_id(model, id); !ok) return ok;
  }
  if (auto ok = check_rows(model, n, q); !ok) return ok;
  const std::size_t nq = model.nq(), count = frame_ids.size();
  return for_each_row(model, n, threads, [&](Data& data, std::size_t i) {
    auto done = kinetra::forward_kinematics(model, data, row(q, i, nq));
    if (!done) return done;
    for (std::size_t k = 0; k < count; ++k) {
      write_homogeneous(world_from_frame(model, data, frame_ids[k]),
                        placements + (i * count + k) * 16);
    }
    return done;
  });
}

std::expected<void, AlgorithmError> frame_jacobian(const Model& model, std::size_t n,
                                                   const double* q, std::size_t frame_id,
                                                   JacobianKind kind, double* jacobians,
                                                   std::size_t threads) {
  if (auto ok = check_rows(model, n, q); !ok) return ok;
  const std::size_t nq = model.nq();
  const auto nv = static_cast<Eigen::Index>(model.nv());
  return for_each_row(model, n, threads, [&](Data& data, std::size_t i) {
    // a column-major view of the row-major 6 x nv block
    Eigen::Map<Matrix6X, 0, Eigen::Stride<Eigen::Dynamic, Eigen::Dynamic>> jacobian(
        jacobians + i * 6 * model.nv(), 6, nv,
        Eigen::Stride<Eigen::Dynamic, Eigen::Dynamic>(1, nv));
    return kinetra::frame_jacobian(model, data, row(q, i, nq), frame_id, kind, jacobian);
  });
}

std::expected<void, AlgorithmError> center_of_mass(const Model& model, std::size_t n,
                                                   const double* q, double* centers,
                                                   std::size_t threads) {
  if (auto ok = check_rows(model, n, q); !ok) return ok;
  const std::size_t nq = model.nq();
  return for_each_row(model, n, threads, [&](Data& data, std::size_t i) {
    return store(kinetra::center_of_mass(model, data, row(q, i, nq)), centers + i * 3);
  });
}

std::expected<void, AlgorithmError> integrate(const Model& model, std::size_t n, const double* q,
                                              const double* v, double* q_out, std::size_t threads) {
  if (auto ok = check_rows(model, n, q); !ok) return ok;
  const std::size_t nq = model.nq(), nv = model.nv();
  return for_each_row(model, n, threads, [&](Data&, std::size_t i) {
    return store(kinetra::integrate(model, row(q, i, nq), row(v, i, nv)), q_out + i * nq);
  });
}

std::expected<void, AlgorithmError> rnea(const Model& model, std::size_t n, const double* q,
                                         const double* v, const double* a, double* tau,
                                         std::size_t threads, RowPath path) {
  if (auto ok = check_rows(model, n, q); !ok) return ok;
  const std::size_t nq = model.nq(), nv = model.nv();
  if (path == RowPath::lanes && lane_count() > 0) {
    return in_lanes(model, n, threads, &rnea_lanes, q, v, a, tau);
  }
  return for_each_checked_row(model, n, threads, [&](Data& data, std::size_t i) {
    unchecked::rnea(model, data, q + i * nq, v + i * nv, a + i * nv, tau + i * nv);
  });
}

std::expected<void, AlgorithmError> nonlinear_effects(const Model& model, std::size_t n,
                                                      const double* q, const double* v, double* tau,
                                                      std::size_t threads, RowPath path) {
  if (auto ok = check_rows(model, n, q); !ok) return ok;
  const std::size_t nq = model.nq(), nv = model.nv();
  if (path == RowPath::lanes && lane_count() > 0) {
    return in_lanes(model, n, threads, &rnea_lanes, q, v, nullptr, tau);
  }
  return for_each_checked_row(model, n, threads, [&](Data& data, std::size_t i) {
    unchecked::rnea(model, data, q + i * nq, v + i * nv, nullptr, tau + i * nv);
  });
}

std::expected<void, AlgorithmError> generalized_gravity(const Model& model, std::size_t n,
                                                        const double* q, double* tau,
                                                        std::size_t threads, RowPath path) {
  if (auto ok = check_rows(model, n, q); !ok) return ok;
  const std::size_t nq = model.nq(), nv = model.nv();
  if (path == RowPath::lanes && lane_count() > 0) {
    return in_lanes(model, n, threads, &rnea_lanes, q, nullptr, nullptr, tau);
  }
  return for_each_checked_row(model, n, threads, [&](Data& data, std::size_t i) {
    unchecked::rnea(model, data, q + i * nq, nullptr, nullptr, tau + i * nv);
  });
}

std::expected<void, AlgorithmError> aba(const Model& model, std::size_t n, const double* q,
                                        const double* v, const double* tau, double* a,
                                        std::size_t threads, RowPath path) {
  if (auto ok = check_rows(model, n, q); !ok) return ok;
  const std::size_t nq = model.nq(), nv = model.nv();
  if (path == RowPath::lanes && lane_count() > 0) {
    return in_lanes(model, n, threads, &aba_lanes, q, v, tau, a);
  }
  return for_each_checked_row(model, n, threads, [&](Data& data, std::size_t i) {
    unchecked::aba(model, data, q + i * nq, v + i * nv, tau + i * nv, a + i * nv);
  });
}

std::expected<void, AlgorithmError> crba(const Model& model, std::size_t n, const double* q,
                                         double* mass, std::size_t threads) {
  if (auto ok = check_rows(model, n, q); !ok) return ok;
  const std::size_t nq = model.nq(), nv = model.nv();
  return for_each_checked_row(model, n, threads, [&](Data& data, std::size_t i) {
    // symmetric: its column-major storage is also its row-major one
    unchecked::crba(model, data, q + i * nq, mass + i * nv * nv, nv);
  });
}

std::expected<void, AlgorithmError> kinetic_energy(const Model& model, std::size_t n,
                                                   const double* q, const double* v, double* energy,
                                                   std::size_t threads) {
  if (auto ok = check_rows(model, n, q); !ok) return ok;
  const std::size_t nq = model.nq(), nv = model.nv();
  return for_each_row(model, n, threads, [&](Data& data, std::size_t i) {
    return store(kinetra::kinetic_energy(model, data, row(q, i, nq), row(v, i, nv)), energy + i);
  });
}

std::expected<void, AlgorithmError> potential_energy(const Model& model, std::size_t n,
                                                     const double* q, double* energy,
                                                     std::size_t threads) {
  if (auto ok = check_rows(model, n, q); !ok) return ok;
  const std::size_t nq = model.nq();
  return for_each_row(model, n, threads, [&](Data& data, std::size_t i) {
    return store(kinetra::potential_energy(model, data, row(q, i, nq)), energy + i);
  });
}

}  // namespace kinetra::batch
