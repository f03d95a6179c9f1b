#include "kinetra/model/forward_dynamics.hpp"

#include <cassert>

#include "kinetra/model/aba_kernel.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

namespace {

// Flattened so that the kernel's steps are inlined into both copies.
KINETRA_AVX2_CLONES KINETRA_FLATTEN void articulated_body(const CompiledModel& model, Data& data,
                                                          const ConfigurationRef& q,
                                                          const ConfigurationRef& v,
                                                          const ConfigurationRef& tau,
                                                          Eigen::Ref<Configuration> ddq) {
  kernel::aba(model, data.aba, q.data(), v.data(), tau.data(), ddq.data());
}

}  // namespace

std::expected<void, AlgorithmError> aba(const Model& model, Data& data,
                                        const ConfigurationRef& q, const ConfigurationRef& v,
                                        const ConfigurationRef& tau,
                                        Eigen::Ref<Configuration> ddq) {
  assert(static_cast<std::size_t>(ddq.size()) == model.nv());
  return checked(model, data, q, {{"v", v}, {"tau", tau}},
                 [&] { articulated_body(model.compiled(), data, q, v, tau, ddq); });
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
