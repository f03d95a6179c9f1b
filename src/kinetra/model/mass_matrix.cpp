#include "kinetra/model/mass_matrix.hpp"

#include <cassert>

#include "kinetra/model/crba_kernel.hpp"
#include "kinetra/model/unchecked.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

namespace unchecked {

KINETRA_AVX2_CLONES KINETRA_FLATTEN void crba(const Model& model, Data& data, const double* q,
                                              double* mass, std::size_t stride) {
  kernel::crba(model.compiled(), data.crba, q, mass, stride);
}

}  // namespace unchecked

std::expected<void, AlgorithmError> crba(const Model& model, Data& data, const ConfigurationRef& q,
                                         Eigen::Ref<Eigen::MatrixXd> mass) {
  assert(static_cast<std::size_t>(mass.rows()) == model.nv() && mass.rows() == mass.cols());
  return checked(model, data, q, {}, [&] {
    unchecked::crba(model, data, q.data(), mass.data(),
                    static_cast<std::size_t>(mass.outerStride()));
  });
}

std::expected<Eigen::MatrixXd, AlgorithmError> crba(const Model& model, Data& data,
                                                    const ConfigurationRef& q) {
  const auto nv = static_cast<Eigen::Index>(model.nv());
  // left for the sweep to clear: allocated and cleared together, it becomes a slower calloc
  Eigen::MatrixXd mass(nv, nv);
  if (auto ok = crba(model, data, q, mass); !ok) return std::unexpected(std::move(ok.error()));
  return mass;
}

}  // namespace kinetra
