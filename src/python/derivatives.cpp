// Python functions of the derivatives of the dynamics and of the configuration-space operations.
#include <array>
#include <cmath>

#include "kinetra/model/derivatives.hpp"
#include "python/classes.hpp"
#include "python/conversions.hpp"
#include "python/families.hpp"

namespace kinetra::python {
namespace {

// A rows x cols result computed in place in storage a NumPy array then takes over.
struct Matrix {
  Eigen::MatrixXd storage;  // column-major (cols x rows): the row-major (rows x cols) values
  Eigen::Map<DerivativeMatrix> values;

  Matrix(Eigen::Index rows, Eigen::Index cols)
      : storage(cols, rows), values(storage.data(), rows, cols) {}

  Ref to_array() {
    const Py_ssize_t shape[2] = {values.rows(), values.cols()};
    return Ref(new_array(shape, std::move(storage)));
  }
};

// The matrices as a tuple of arrays.
template <std::size_t N>
Result<Ref> as_tuple(std::array<Matrix, N>& matrices) {
  Ref tuple(PyTuple_New(N));
  if (!tuple) return pending_error();
  for (std::size_t k = 0; k < N; ++k) {
    Ref array = matrices[k].to_array();
    if (!array) return pending_error();
    PyTuple_SET_ITEM(tuple.get(), static_cast<Py_ssize_t>(k), array.release());
  }
  return tuple;
}

Matrix square(const Model& model) {
  const auto nv = static_cast<Eigen::Index>(model.nv());
  return Matrix(nv, nv);
}

// The error as a ValueError of `prefix` and its text, or the matrices as a tuple.
template <std::size_t N>
Result<Ref> tuple_or_value_error(std::expected<void, AlgorithmError>&& done, const char* prefix,
                                 std::array<Matrix, N>& matrices) {
  if (!done) return value_error(prefix + done.error().display());
  return as_tuple(matrices);
}

Result<Ref> rnea_derivatives_binding(const Model& model, Data& data, const Array<-1>& q,
                                     const Array<-1>& v, const Array<-1>& a) {
  constexpr const char* prefix = "Error in inverse dynamics derivatives: ";
  std::array<FlatValues, 3> x;
  if (auto read = read_vectors(model, prefix, {"q", "v", "a"}, {&q, &v, &a}, x); !read) {
    return std::unexpected(read.error());
  }
  std::array<Matrix, 3> out = {square(model), square(model), square(model)};
  return tuple_or_value_error(rnea_derivatives(model, data, x[0].map(), x[1].map(), x[2].map(),
                                               out[0].values, out[1].values, out[2].values),
                              prefix, out);
}

Result<Ref> aba_derivatives_binding(const Model& model, Data& data, const Array<-1>& q,
                                    const Array<-1>& v, const Array<-1>& tau) {
  constexpr const char* prefix = "Error in forward dynamics derivatives: ";
  std::array<FlatValues, 3> x;
  if (auto read = read_vectors(model, prefix, {"q", "v", "tau"}, {&q, &v, &tau}, x); !read) {
    return std::unexpected(read.error());
  }
  std::array<Matrix, 3> out = {square(model), square(model), square(model)};
  return tuple_or_value_error(aba_derivatives(model, data, x[0].map(), x[1].map(), x[2].map(),
                                              out[0].values, out[1].values, out[2].values),
                              prefix, out);
}

Result<Ref> inverse_mass_matrix_binding(const Model& model, Data& data, const Array<-1>& q) {
  constexpr const char* prefix = "Error in inverse mass matrix: ";
  std::array<FlatValues, 1> x;
  if (auto read = read_vectors(model, prefix, {"q"}, {&q}, x); !read) {
    return std::unexpected(read.error());
  }
  Matrix out = square(model);
  if (auto done = inverse_mass_matrix(model, data, x[0].map(), out.values); !done) {
    return value_error(prefix + done.error().display());
  }
  return out.to_array();
}

Result<Ref> integrate_derivatives_binding(const Model& model, const Array<-1>& q,
                                          const Array<-1>& v) {
  constexpr const char* prefix = "Error in integrate derivatives: ";
  std::array<FlatValues, 2> x;
  if (auto read = read_vectors(model, prefix, {"q", "v"}, {&q, &v}, x); !read) {
    return std::unexpected(read.error());
  }
  std::array<Matrix, 2> out = {square(model), square(model)};
  return tuple_or_value_error(
      integrate_derivatives(model, x[0].map(), x[1].map(), out[0].values, out[1].values), prefix,
      out);
}

Result<Ref> difference_derivatives_binding(const Model& model, const Array<-1>& q0,
                                           const Array<-1>& q1) {
  constexpr const char* prefix = "Error in difference derivatives: ";
  std::array<FlatValues, 1> first, second;
  if (auto read = read_vectors(model, prefix, {"q0"}, {&q0}, first); !read) return std::unexpected(read.error());
  if (auto read = read_vectors(model, prefix, {"q1"}, {&q1}, second); !read) return std::unexpected(read.error());
  std::array<Matrix, 2> out = {square(model), square(model)};
  return tuple_or_value_error(difference_derivatives(model, first[0].map(), second[0].map(),
                                                     out[0].values, out[1].values),
                              prefix, out);
}

Result<Ref> step_derivatives_binding(const Model& model, Data& data, const Array<-1>& q,
                                     const Array<-1>& v, const Array<-1>& tau, double dt) {
  constexpr const char* prefix = "Error in step derivatives: ";
  if (!(std::isfinite(dt) && dt > 0.0)) {
    const Ref value(PyFloat_FromDouble(dt));
    const Ref text(value ? PyObject_Repr(value.get()) : nullptr);
    return value_error(std::string("dt must be a positive finite number, got ") +
                       (text ? PyUnicode_AsUTF8(text.get()) : "?"));
  }
  std::array<FlatValues, 3> x;
  if (auto read = read_vectors(model, prefix, {"q", "v", "tau"}, {&q, &v, &tau}, x); !read) {
    return std::unexpected(read.error());
  }
  const auto nv = static_cast<Eigen::Index>(model.nv());
  std::array<Matrix, 2> out = {Matrix(2 * nv, 2 * nv), Matrix(2 * nv, nv)};
  return tuple_or_value_error(step_derivatives(model, data, x[0].map(), x[1].map(), x[2].map(),
                                               dt, out[0].values, out[1].values),
                              prefix, out);
}

}  // namespace
}  // namespace kinetra::python

bool kinetra::python::init_derivatives(ModuleBuilder& m) {
  static PyMethodDef functions[] = {
      def<"rnea_derivatives", "(model, data, q, v, a)", &rnea_derivatives_binding>(
          "(dtau_dq, dtau_dv, dtau_da) of rnea at (q, v, a), each (nv, nv); dq in the tangent "
          "space (column k: d/de rnea(integrate(q, e * unit_k), v, a)); dtau_da is the mass "
          "matrix."),
      def<"aba_derivatives", "(model, data, q, v, tau)", &aba_derivatives_binding>(
          "(dqdd_dq, dqdd_dv, dqdd_dtau) of aba at (q, v, tau), each (nv, nv); dq in the "
          "tangent space; dqdd_dtau is the inverse mass matrix."),
      def<"inverse_mass_matrix", "(model, data, q)", &inverse_mass_matrix_binding>(
          "The inverse of the joint-space inertia matrix M(q), an (nv, nv) array, by a "
          "recursive algorithm (no factorisation of M)."),
      def<"integrate_derivatives", "(model, q, v)", &integrate_derivatives_binding>(
          "(d_dq, d_dv) of integrate(model, q, v), each (nv, nv), in the tangent spaces at the "
          "result (rows) and at q (columns)."),
      def<"difference_derivatives", "(model, q0, q1)", &difference_derivatives_binding>(
          "(d_dq0, d_dq1) of difference(model, q0, q1), each (nv, nv), q0 and q1 perturbed in "
          "their tangent spaces."),
      def<"step_derivatives", "(model, data, q, v, tau, dt)", &step_derivatives_binding>(
          "(A, B) of one semi-implicit Euler step v' = v + dt aba(q, v, tau), q' = "
          "integrate(q, dt v') for the state (q in the tangent space, v): A (2nv, 2nv), "
          "B (2nv, nv), q rows as difference(q'_nominal, q'_perturbed).")};
  return m.add_functions(functions);
}
