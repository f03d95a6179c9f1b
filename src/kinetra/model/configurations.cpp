#include "kinetra/model/configurations.hpp"

namespace kinetra {

std::expected<Configuration, ConfigurationError> neutral(const Model& model) {
  Configuration q(static_cast<Eigen::Index>(model.nq()));
  for (std::size_t i = 0; i < model.njoints(); ++i) {
    const Configuration values = model.joint_models()[i].neutral();
    q.segment(static_cast<Eigen::Index>(model.idx_q(i)), values.size()) = values;
  }
  return q;
}

std::expected<Configuration, EmptyRangeError> random_configuration(const Model& model, Rng& rng) {
  Configuration q(static_cast<Eigen::Index>(model.nq()));
  for (std::size_t i = 0; i < model.njoints(); ++i) {
    auto values = model.joint_models()[i].random_configuration(rng);
    if (!values) return std::unexpected(values.error());
    q.segment(static_cast<Eigen::Index>(model.idx_q(i)), values->size()) = *values;
  }
  return q;
}

}  // namespace kinetra
