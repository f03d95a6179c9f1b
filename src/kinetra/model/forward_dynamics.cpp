#include "kinetra/model/forward_dynamics.hpp"

#include <cassert>

#include "kinetra/model/aba_kernel.hpp"
#include "kinetra/model/unchecked.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

namespace unchecked {

// Flattened so that the kernel's steps are inlined into both copies.
KINETRA_AVX2_CLONES KINETRA_FLATTEN void aba(const Model& model, Data& data, const double* q,
                                             const double* v, const double* tau, double* qdd) {
  kernel::aba(model.compiled(), data.aba, q, v, tau, qdd);
}

}  // namespace unchecked

std::expected<void, AlgorithmError> aba(const Model& model, Data& data,
                                        const ConfigurationRef& q, const ConfigurationRef& v,
                                        const ConfigurationRef& tau,
                                        Eigen::Ref<Configuration> ddq) {
  assert(static_cast<std::size_t>(ddq.size()) == model.nv());
  return checked(model, data, q, {{"v", v}, {"tau", tau}},
                 [&] { unchecked::aba(model, data, q.data(), v.data(), tau.data(), ddq.data()); });
}

std::expected<Configuration, AlgorithmError> aba(const Model& model, Data& data,
                                                 const ConfigurationRef& q,
                                                 const ConfigurationRef& v,
                                                 const ConfigurationRef& tau) {
  Configuration ddq(static_cast<Eigen::Index>(model.nv()));
  if (auto ok = aba(model, data, q, v, tau, ddq); !ok)
    return std::unexpected(std::move(ok.error()));
  return ddq;
}

}  // namespace kinetra
