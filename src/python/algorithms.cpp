// Python functions of the rigid-body algorithms and the model-level configurations.
#include <array>
#include <new>

#include "kinetra/model/algorithms.hpp"
#include "kinetra/model/reduced_dynamics.hpp"
#include "python/classes.hpp"
#include "python/conversions.hpp"
#include "python/families.hpp"
#include "python/seed.hpp"

namespace kinetra::python {
namespace {

// The algorithm's result, or a ValueError of `prefix` and the error's display text.
template <class T>
Result<T> or_value_error(std::expected<T, AlgorithmError>&& result, const char* prefix) {
  if (!result) return value_error(prefix + result.error().display());
  return std::move(*result);
}

Result<PyConfiguration> efforts_or_value_error(
    std::expected<Configuration, AlgorithmError>&& result, const char* prefix) {
  if (!result) return value_error(prefix + result.error().display());
  return PyConfiguration{std::move(*result)};
}

Result<void> forward_kinematics_binding(const Model& model, Data& data, const Array<1>& q) {
  const ReducedCoordinates& reduced = model.reduced_coordinates();
  const auto nq = static_cast<Py_ssize_t>(reduced.nq(model));
  if (q.dim(0) != nq) {
    return value_error("Invalid input size. Expected a configuration of size " +
                       std::to_string(nq) + ", got " + q.shape_text());
  }
  auto values = q.values();
  if (!values) return std::unexpected(values.error());
  FlatValues flat(*values);
  if (!reduced.empty()) flat.assign(reduced.expand_configuration(model, flat.map()));
  auto done = forward_kinematics(model, data, flat.map());
  if (!done) return value_error("Forward kinematics failed: " + done.error().debug());
  return {};
}

Result<PyConfiguration> inverse_dynamics_binding(const Model& model, Data& data, const Array<-1>& q,
                                                 const Array<-1>& v, const Array<-1>& a) {
  constexpr const char* prefix = "Error in inverse dynamics: ";
  std::array<FlatValues, 3> x;
  if (auto read = read_vectors(model, prefix, {"q", "v", "a"}, {&q, &v, &a}, x); !read) {
    return std::unexpected(read.error());
  }
  return efforts_or_value_error(
      in_reduced(model, ReducedAs::Effort, rnea(model, data, x[0].map(), x[1].map(), x[2].map())),
      prefix);
}

Result<PyConfiguration> forward_dynamics_binding(const Model& model, Data& data, const Array<-1>& q,
                                                 const Array<-1>& v, const Array<-1>& tau) {
  constexpr const char* prefix = "Forward dynamics failed: ";
  std::array<FlatValues, 3> x;
  const bool reduced = !model.reduced_coordinates().empty();
  if (auto read = read_vectors(model, prefix, {"q", "v", "tau"}, {&q, &v, &tau}, x, !reduced);
      !read) {
    return std::unexpected(read.error());
  }
  if (reduced) {
    return efforts_or_value_error(
        reduced_forward_dynamics(model, data, x[0].map(), x[1].map(), x[2].map()), prefix);
  }
  return efforts_or_value_error(aba(model, data, x[0].map(), x[1].map(), x[2].map()), prefix);
}

Result<Ref> mass_matrix_binding(const Model& model, Data& data, const Array<-1>& q) {
  constexpr const char* prefix = "Error in mass matrix: ";
  std::array<FlatValues, 1> x;
  if (auto read = read_vectors(model, prefix, {"q"}, {&q}, x); !read) {
    return std::unexpected(read.error());
  }
  std::expected<Eigen::MatrixXd, AlgorithmError> computed;
  try {
    computed = crba(model, data, x[0].map());
  } catch (const std::bad_alloc&) {
    const std::string nv = std::to_string(model.nv());
    return std::unexpected(out_of_memory("mass matrix of " + nv + " x " + nv,
                                         8.0 * static_cast<double>(model.nv()) *
                                             static_cast<double>(model.nv())));
  }
  auto mass = or_value_error(std::move(computed), prefix);
  if (!mass) return std::unexpected(mass.error());
  if (const ReducedCoordinates& reduced = model.reduced_coordinates(); !reduced.empty()) {
    *mass = reduced.project_mass_matrix(*mass);
  }
  // symmetric: its column-major storage is also its row-major one
  const Py_ssize_t shape[2] = {mass->rows(), mass->cols()};
  return Ref(new_array(shape, std::move(*mass)));
}

Result<PyConfiguration> nonlinear_effects_binding(const Model& model, Data& data,
                                                  const Array<-1>& q, const Array<-1>& v) {
  constexpr const char* prefix = "Error in nonlinear effects: ";
  std::array<FlatValues, 2> x;
  if (auto read = read_vectors(model, prefix, {"q", "v"}, {&q, &v}, x); !read) {
    return std::unexpected(read.error());
  }
  return efforts_or_value_error(
      in_reduced(model, ReducedAs::Effort, nonlinear_effects(model, data, x[0].map(), x[1].map())),
      prefix);
}

Result<PyConfiguration> generalized_gravity_binding(const Model& model, Data& data,
                                                    const Array<-1>& q) {
  constexpr const char* prefix = "Error in generalized gravity: ";
  std::array<FlatValues, 1> x;
  if (auto read = read_vectors(model, prefix, {"q"}, {&q}, x); !read) {
    return std::unexpected(read.error());
  }
  return efforts_or_value_error(
      in_reduced(model, ReducedAs::Effort, generalized_gravity(model, data, x[0].map())), prefix);
}

Result<double> kinetic_energy_binding(const Model& model, Data& data, const Array<-1>& q,
                                      const Array<-1>& v) {
  constexpr const char* prefix = "Error in kinetic energy: ";
  std::array<FlatValues, 2> x;
  if (auto read = read_vectors(model, prefix, {"q", "v"}, {&q, &v}, x); !read) {
    return std::unexpected(read.error());
  }
  return or_value_error(kinetic_energy(model, data, x[0].map(), x[1].map()), prefix);
}

Result<double> potential_energy_binding(const Model& model, Data& data, const Array<-1>& q) {
  constexpr const char* prefix = "Error in potential energy: ";
  std::array<FlatValues, 1> x;
  if (auto read = read_vectors(model, prefix, {"q"}, {&q}, x); !read) {
    return std::unexpected(read.error());
  }
  return or_value_error(potential_energy(model, data, x[0].map()), prefix);
}

// Both take the model exclusively.
Result<PyConfiguration> neutral_binding(Model& model) {
  auto q = in_reduced(model, ReducedAs::Configuration, neutral(model));
  if (!q) return value_error(q.error().display());
  return PyConfiguration{std::move(*q)};
}

// `seed`: None draws from the thread's generator, an int in [0, 2**64) from its own.
Result<PyConfiguration> random_configuration_binding(Model& model, PyObject* seed) {
  const auto value = seed_value(seed);
  if (!value) return std::unexpected(value.error());
  std::optional<Rng> seeded;
  if (*value) seeded.emplace(**value);
  auto q = in_reduced(model, ReducedAs::Configuration,
                      random_configuration(model, seeded ? *seeded : thread_rng()));
  if (!q) return value_error(q.error().display());
  return PyConfiguration{std::move(*q)};
}

}  // namespace
}  // namespace kinetra::python

bool kinetra::python::init_configurations(ModuleBuilder& m) {
  static PyMethodDef functions[] = {
      def<"neutral", "(model)", &neutral_binding>("Python wrapper for the `neutral` function."),
      def<"random_configuration", "(model, seed=None)", &random_configuration_binding>()};
  return m.add_functions(functions);
}

bool kinetra::python::init_dynamics(ModuleBuilder& m) {
  static PyMethodDef functions[] = {
      def<"forward_kinematics", "(model, data, q)", &forward_kinematics_binding>(),
      def<"forward_dynamics", "(model, data, q, v, tau)", &forward_dynamics_binding>(),
      def<"aba", "(model, data, q, v, tau)", &forward_dynamics_binding>(),
      def<"inverse_dynamics", "(model, data, q, v, a)", &inverse_dynamics_binding>(),
      def<"rnea", "(model, data, q, v, a)", &inverse_dynamics_binding>()};
  return m.add_functions(functions);
}

bool kinetra::python::init_dynamics_terms(ModuleBuilder& m) {
  static PyMethodDef functions[] = {
      def<"crba", "(model, data, q)", &mass_matrix_binding>(
          "The joint-space inertia matrix M(q), an (nv, nv) array, by the composite rigid-body "
          "algorithm."),
      def<"mass_matrix", "(model, data, q)", &mass_matrix_binding>(
          "The joint-space inertia matrix M(q), an (nv, nv) array; the same as `crba`."),
      def<"nonlinear_effects", "(model, data, q, v)", &nonlinear_effects_binding>(
          "The Coriolis, centrifugal and gravity efforts for (q, v): rnea with a zero "
          "acceleration."),
      def<"generalized_gravity", "(model, data, q)", &generalized_gravity_binding>(
          "The gravity efforts for q: the gradient of the potential energy."),
      def<"kinetic_energy", "(model, data, q, v)", &kinetic_energy_binding>(
          "The kinetic energy of every body for (q, v), as a float."),
      def<"potential_energy", "(model, data, q)", &potential_energy_binding>(
          "The gravitational potential energy of every body for q, as a float.")};
  return m.add_functions(functions);
}
