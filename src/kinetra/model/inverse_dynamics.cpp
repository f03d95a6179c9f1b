#include "kinetra/model/inverse_dynamics.hpp"

#include <cassert>
#include <utility>

#include "kinetra/model/rnea_kernel.hpp"
#include "kinetra/model/unchecked.hpp"
#include "kinetra/spatial/target_clones.hpp"

namespace kinetra {

namespace unchecked {

KINETRA_AVX2_CLONES KINETRA_FLATTEN void rnea(const Model& model, Data& data, const double* q,
                                              const double* v, const double* a, double* tau) {
  kernel::rnea(model.compiled(), data.rnea, q, v, a, tau);
}

}  // namespace unchecked

namespace {

// The value-returning form of an algorithm writing into caller storage.
template <class Into>
std::expected<Configuration, AlgorithmError> returned(const Model& model, Into&& into) {
  Configuration tau(static_cast<Eigen::Index>(model.nv()));
  if (auto ok = into(tau); !ok) return std::unexpected(std::move(ok.error()));
  return tau;
}

}  // namespace

std::expected<void, AlgorithmError> rnea(const Model& model, Data& data, const ConfigurationRef& q,
                                         const ConfigurationRef& v, const ConfigurationRef& a,
                                         Eigen::Ref<Configuration> tau) {
  assert(static_cast<std::size_t>(tau.size()) == model.nv());
  return checked(model, data, q, {{"v", v}, {"a", a}},
                 [&] { unchecked::rnea(model, data, q.data(), v.data(), a.data(), tau.data()); });
}

std::expected<void, AlgorithmError> nonlinear_effects(const Model& model, Data& data,
                                                      const ConfigurationRef& q,
                                                      const ConfigurationRef& v,
                                                      Eigen::Ref<Configuration> tau) {
  assert(static_cast<std::size_t>(tau.size()) == model.nv());
  return checked(model, data, q, {{"v", v}},
                 [&] { unchecked::rnea(model, data, q.data(), v.data(), nullptr, tau.data()); });
}

std::expected<void, AlgorithmError> generalized_gravity(const Model& model, Data& data,
                                                        const ConfigurationRef& q,
                                                        Eigen::Ref<Configuration> tau) {
  assert(static_cast<std::size_t>(tau.size()) == model.nv());
  return checked(model, data, q, {},
                 [&] { unchecked::rnea(model, data, q.data(), nullptr, nullptr, tau.data()); });
}

std::expected<Configuration, AlgorithmError> rnea(const Model& model, Data& data,
                                                  const ConfigurationRef& q,
                                                  const ConfigurationRef& v,
                                                  const ConfigurationRef& a) {
  return returned(model, [&](Configuration& tau) { return rnea(model, data, q, v, a, tau); });
}

std::expected<Configuration, AlgorithmError> nonlinear_effects(const Model& model, Data& data,
                                                               const ConfigurationRef& q,
                                                               const ConfigurationRef& v) {
  return returned(model,
                  [&](Configuration& tau) { return nonlinear_effects(model, data, q, v, tau); });
}

std::expected<Configuration, AlgorithmError> generalized_gravity(const Model& model, Data& data,
                                                                 const ConfigurationRef& q) {
  return returned(model,
                  [&](Configuration& tau) { return generalized_gravity(model, data, q, tau); });
}

}  // namespace kinetra
