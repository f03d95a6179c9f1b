#include "kinetra/model/reduced_dynamics.hpp"

#include <Eigen/Cholesky>
#include <limits>
#include <tuple>

#include "kinetra/model/inverse_dynamics.hpp"
#include "kinetra/model/mass_matrix.hpp"

namespace kinetra {

std::expected<Configuration, AlgorithmError> reduced_forward_dynamics(
    const Model& model, Data& data, const ConfigurationRef& q_r, const ConfigurationRef& v_r,
    const ConfigurationRef& tau_r) {
  const ReducedCoordinates& reduced = model.reduced_coordinates();
  const std::size_t nq = reduced.nq(model), nv = reduced.nv(model);
  for (const auto& [name, expected, values] :
       {std::tuple{"q", nq, &q_r}, std::tuple{"v", nv, &v_r}, std::tuple{"tau", nv, &tau_r}}) {
    if (auto sized = check_size(name, expected, values->size()); !sized) {
      return std::unexpected(sized.error());
    }
  }
  const Configuration q = reduced.expand_configuration(model, q_r);
  const auto mass = crba(model, data, q);
  if (!mass) return std::unexpected(mass.error());
  const auto bias = nonlinear_effects(model, data, q, reduced.expand_velocity(model, v_r));
  if (!bias) return std::unexpected(bias.error());
  const Eigen::LLT<Eigen::MatrixXd> factor(reduced.project_mass_matrix(*mass));
  if (factor.info() != Eigen::Success) {
    return Configuration::Constant(tau_r.size(), std::numeric_limits<double>::quiet_NaN());
  }
  return Configuration(factor.solve(tau_r - reduced.project_effort(*bias)));
}

}  // namespace kinetra
