// Python constructors of the several-axis joints, configuration-space operations and the
// centroidal momentum.
#include <array>

#include "kinetra/model/algorithms.hpp"
#include "python/classes.hpp"
#include "python/conversions.hpp"
#include "python/families.hpp"

namespace kinetra::python {
namespace {

JointModel floating() { return JointModel::floating(); }
JointModel spherical() { return JointModel::spherical(); }
JointModel planar() { return JointModel::planar(); }

// A (n,) array of the result, or a ValueError of `prefix` and the error's text.
template <class Vector>
Result<Ref> array_or_value_error(std::expected<Vector, AlgorithmError>&& result,
                                 const char* prefix) {
  if (!result) return value_error(prefix + result.error().display());
  return Ref(to_numpy(*result));
}

Result<Ref> integrate_binding(const Model& model, const Array<-1>& q, const Array<-1>& v) {
  constexpr const char* prefix = "Error in integrate: ";
  std::array<FlatValues, 2> x;
  if (auto read = read_vectors(model, prefix, {"q", "v"}, {&q, &v}, x); !read) {
    return std::unexpected(read.error());
  }
  return array_or_value_error(
      in_reduced(model, ReducedAs::Configuration, integrate(model, x[0].map(), x[1].map())),
      prefix);
}

// Both configurations, each checked to hold nq values before it is converted.
Result<void> read_configurations(const Model& model, const char* prefix, const Array<-1>& q0,
                                 const Array<-1>& q1, std::array<FlatValues, 2>& x) {
  std::array<FlatValues, 1> one;
  if (auto read = read_vectors(model, prefix, {"q0"}, {&q0}, one); !read) return read;
  x[0] = std::move(one[0]);
  if (auto read = read_vectors(model, prefix, {"q1"}, {&q1}, one); !read) return read;
  x[1] = std::move(one[0]);
  return {};
}

Result<Ref> difference_binding(const Model& model, const Array<-1>& q0, const Array<-1>& q1) {
  constexpr const char* prefix = "Error in difference: ";
  std::array<FlatValues, 2> x;
  if (auto read = read_configurations(model, prefix, q0, q1, x); !read) {
    return std::unexpected(read.error());
  }
  return array_or_value_error(
      in_reduced(model, ReducedAs::Velocity, difference(model, x[0].map(), x[1].map())), prefix);
}

Result<Ref> interpolate_binding(const Model& model, const Array<-1>& q0, const Array<-1>& q1,
                                double t) {
  constexpr const char* prefix = "Error in interpolate: ";
  std::array<FlatValues, 2> x;
  if (auto read = read_configurations(model, prefix, q0, q1, x); !read) {
    return std::unexpected(read.error());
  }
  return array_or_value_error(
      in_reduced(model, ReducedAs::Configuration, interpolate(model, x[0].map(), x[1].map(), t)),
      prefix);
}

Result<Ref> normalize_binding(const Model& model, const Array<-1>& q) {
  constexpr const char* prefix = "Error in normalize: ";
  std::array<FlatValues, 1> x;
  if (auto read = read_vectors(model, prefix, {"q"}, {&q}, x); !read) {
    return std::unexpected(read.error());
  }
  return array_or_value_error(
      in_reduced(model, ReducedAs::Configuration, normalize(model, x[0].map())), prefix);
}

Result<Ref> centroidal_momentum_binding(const Model& model, Data& data, const Array<-1>& q,
                                        const Array<-1>& v) {
  constexpr const char* prefix = "Error in centroidal momentum: ";
  std::array<FlatValues, 2> x;
  if (auto read = read_vectors(model, prefix, {"q", "v"}, {&q, &v}, x); !read) {
    return std::unexpected(read.error());
  }
  return array_or_value_error(centroidal_momentum(model, data, x[0].map(), x[1].map()), prefix);
}

}  // namespace
}  // namespace kinetra::python

bool kinetra::python::init_configuration_space(ModuleBuilder& m) {
  static PyMethodDef functions[] = {
      def<"JointModelFloating", "()", &floating>(
          "A joint with six degrees of freedom. q = (x, y, z, qx, qy, qz, qw): the position, then "
          "a unit quaternion with the scalar last (ROS and Eigen order; from a scalar-first "
          "(w, x, y, z) quaternion take q[[1, 2, 3, 0]]). v = the child frame's twist in its own "
          "axes, angular part first."),
      def<"JointModelSpherical", "()", &spherical>(
          "A ball joint. q = the unit quaternion (qx, qy, qz, qw), scalar last; v = the angular "
          "velocity in the child frame."),
      def<"JointModelPlanar", "()", &planar>(
          "Motion in the joint frame's x-y plane with rotation about its z axis. q = (x, y, "
          "cos theta, sin theta); v = (theta rate, x rate, y rate) in the moving frame."),
      def<"integrate", "(model, q, v)", &integrate_binding>(
          "q moved by the velocity v for unit time (pass v * dt), an (nq,) array: quaternions "
          "by the exponential map, (cos, sin) pairs by rotation, the rest by addition."),
      def<"difference", "(model, q0, q1)", &difference_binding>(
          "The velocity v, an (nv,) array, with integrate(model, q0, v) == q1."),
      def<"interpolate", "(model, q0, q1, t)", &interpolate_binding>(
          "integrate(model, q0, t * difference(model, q0, q1)), an (nq,) array."),
      def<"normalize", "(model, q)", &normalize_binding>(
          "q with unit quaternions and unit (cos, sin) pairs, an (nq,) array."),
      def<"centroidal_momentum", "(model, data, q, v)", &centroidal_momentum_binding>(
          "The momentum for (q, v), a (6,) array in world axes: the angular momentum about the "
          "centre of mass of the moving bodies, then the linear momentum. Bodies welded to the "
          "world do not count here, unlike in center_of_mass.")};
  return m.add_functions(functions);
}
