#include "kinetra/model/configurations.hpp"

namespace kinetra {

namespace {

const double* values_of(const Model& model, const ConfigurationRef& q, std::size_t joint) {
  return q.data() + model.idx_q(joint);
}

}  // namespace

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
    if (!values) return std::unexpected(EmptyRangeError{model.joint_names()[i]});
    q.segment(static_cast<Eigen::Index>(model.idx_q(i)), values->size()) = *values;
  }
  return q;
}

std::expected<Configuration, AlgorithmError> integrate(const Model& model,
                                                       const ConfigurationRef& q,
                                                       const ConfigurationRef& v) {
  if (auto ok = check_configuration(model, q, {{"v", v}}); !ok) return std::unexpected(ok.error());
  Configuration out(q.size());
  for (std::size_t i = 0; i < model.njoints(); ++i) {
    model.joint_models()[i].integrate(values_of(model, q, i), v.data() + model.idx_v(i),
                                      out.data() + model.idx_q(i));
  }
  return out;
}

std::expected<Configuration, AlgorithmError> difference(const Model& model,
                                                        const ConfigurationRef& q0,
                                                        const ConfigurationRef& q1) {
  for (const auto& [name, values] : {NamedVector{"q0", q0}, NamedVector{"q1", q1}}) {
    if (auto ok = check_size(name, model.nq(), values.size()); !ok) {
      return std::unexpected(ok.error());
    }
    if (auto ok = check_configuration(model, values); !ok) return std::unexpected(ok.error());
  }
  Configuration v(static_cast<Eigen::Index>(model.nv()));
  for (std::size_t i = 0; i < model.njoints(); ++i) {
    model.joint_models()[i].difference(values_of(model, q0, i), values_of(model, q1, i),
                                       v.data() + model.idx_v(i));
  }
  return v;
}

std::expected<Configuration, AlgorithmError> interpolate(const Model& model,
                                                         const ConfigurationRef& q0,
                                                         const ConfigurationRef& q1, double t) {
  const auto v = difference(model, q0, q1);
  if (!v) return std::unexpected(v.error());
  return integrate(model, q0, t * *v);
}

std::expected<Configuration, AlgorithmError> normalize(const Model& model,
                                                       const ConfigurationRef& q) {
  if (auto ok = check_configuration(model, q); !ok) return std::unexpected(ok.error());
  Configuration out = q;
  for (std::size_t i = 0; i < model.njoints(); ++i) {
    model.joint_models()[i].normalize(out.data() + model.idx_q(i));
  }
  return out;
}

}  // namespace kinetra
