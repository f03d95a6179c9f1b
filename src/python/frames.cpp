// Python functions of frame placements, frame Jacobians and the centre of mass.
#include <array>
#include <string_view>

#include "kinetra/model/algorithms.hpp"
#include "python/classes.hpp"
#include "python/conversions.hpp"
#include "python/families.hpp"
#include "python/frame_arguments.hpp"

namespace kinetra::python {

// A frame id as an index below the model's frame count; raises and returns false otherwise.
bool load_frame_id(const Model& model, PyObject* obj, std::size_t& out) {
  Ref index(PyNumber_Index(obj));
  if (!index) return prefix_argument_error("frame_id"), false;
  int overflow = 0;
  const long long id = PyLong_AsLongLongAndOverflow(index.get(), &overflow);
  if (id == -1 && PyErr_Occurred()) return false;
  if (overflow != 0 || id < 0 || static_cast<unsigned long long>(id) >= model.nframes()) {
    Ref text(PyObject_Str(index.get()));
    const char* id_text = text ? PyUnicode_AsUTF8(text.get()) : nullptr;
    if (!id_text) return false;
    raise(PyExc_IndexError, "frame id " + std::string(id_text) +
                                " is out of range for a model with " +
                                std::to_string(model.nframes()) + " frames");
    return false;
  }
  out = static_cast<std::size_t>(id);
  return true;
}

// "geometric" (also when not given), "body" or "spatial"; raises ValueError otherwise.
bool load_kind(const std::optional<std::string>& text, JacobianKind& out) {
  const std::string_view kind = text ? std::string_view(*text) : "geometric";
  if (kind == "geometric") {
    out = JacobianKind::Geometric;
  } else if (kind == "body") {
    out = JacobianKind::Body;
  } else if (kind == "spatial") {
    out = JacobianKind::Spatial;
  } else {
    raise(PyExc_ValueError,
          "kind must be 'geometric', 'body' or 'spatial', got '" + std::string(kind) + "'");
    return false;
  }
  return true;
}

// The error as a Python exception: frame ids are IndexError, the rest ValueError after
// `prefix` (except the unprefixed "the model has no mass").
PyError python_error(const AlgorithmError& error, const char* prefix) {
  if (std::holds_alternative<FrameIdError>(error.error)) {
    return {PyExc_IndexError, error.display()};
  }
  if (std::holds_alternative<NoMassError>(error.error)) return {PyExc_ValueError, error.display()};
  return {PyExc_ValueError, prefix + error.display()};
}

namespace {

// The frame id and kind of a call.
struct FrameQuery {
  std::size_t id = 0;
  JacobianKind kind = JacobianKind::Geometric;

  // raises and returns false on a bad id or kind
  bool load(const Model& model, PyObject* frame_id, const std::optional<std::string>& kind_text) {
    return load_frame_id(model, frame_id, id) && load_kind(kind_text, kind);
  }
};

template <class T>
PyObject* result_to_python(std::expected<T, AlgorithmError>&& result, const char* prefix) {
  if (!result) return raise(python_error(result.error(), prefix));
  if constexpr (std::is_void_v<T>) {
    Py_RETURN_NONE;
  } else {
    return to_python(std::move(*result));
  }
}

// A (rows, nv) array filled by `compute(out)` writing a column-major view of row-major storage
// (kept per thread, so that repeated calls allocate only the array).
template <int Rows, class Compute>
PyObject* new_jacobian_array(const Model& model, Compute&& compute, const char* prefix) {
  using View = Eigen::Map<Eigen::Matrix<double, Rows, Eigen::Dynamic>, 0,
                          Eigen::Stride<Eigen::Dynamic, Eigen::Dynamic>>;
  thread_local std::vector<double> values;
  const auto nv = static_cast<Eigen::Index>(model.nv());
  values.resize(static_cast<std::size_t>(Rows * nv));
  View view(values.data(), Rows, nv, Eigen::Stride<Eigen::Dynamic, Eigen::Dynamic>(1, nv));
  if (auto done = compute(view); !done) return raise(python_error(done.error(), prefix));
  if (const ReducedCoordinates& reduced = model.reduced_coordinates(); !reduced.empty()) {
    // J G for the reduced coordinates
    const Eigen::Matrix<double, Rows, Eigen::Dynamic, Eigen::RowMajor> projected =
        reduced.project_columns(view);
    const Py_ssize_t shape[2] = {Rows, projected.cols()};
    return new_array(shape, projected.data());
  }
  const Py_ssize_t shape[2] = {Rows, nv};
  return new_array(shape, values.data());
}

// Each binding returns a new reference, or nullptr with the exception set.

// Runs forward kinematics on `q` unless it is None or not given; raises and returns false on a
// q of the wrong size, leaving `data` as it was.
bool update_placements(const Model& model, Data& data, PyObject* q, const char* prefix) {
  if (!q || q == Py_None) return true;
  Array<-1> array;
  if (!ArrayArg::from_object(q, -1, "q", array)) return false;
  std::array<FlatValues, 1> x;
  if (auto read = read_vectors(model, prefix, {"q"}, {&array}, x); !read) {
    return raise(read.error()), false;
  }
  if (auto done = forward_kinematics(model, data, x[0].map()); !done) {
    return raise(python_error(done.error(), prefix)), false;
  }
  return true;
}

PyObject* frame_placement_binding(const Model& model, Data& data, PyObject* frame_id,
                                  PyObject* q) {
  constexpr const char* prefix = "Error in frame placement: ";
  std::size_t id = 0;
  if (!load_frame_id(model, frame_id, id) || !update_placements(model, data, q, prefix)) {
    return nullptr;
  }
  return result_to_python(frame_placement(model, data, id), prefix);
}

PyObject* frame_placements_binding(const Model& model, Data& data, PyObject* q) {
  constexpr const char* prefix = "Error in frame placements: ";
  if (!update_placements(model, data, q, prefix)) return nullptr;
  auto placements = frame_placements(model, data);
  if (!placements) return raise(python_error(placements.error(), prefix));
  std::vector<double> values;
  values.reserve(placements->size() * 16);
  for (const SE3& placement : *placements) {
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) values.push_back(placement.rotation(r, c));
      values.push_back(placement.translation[r]);
    }
    values.insert(values.end(), {0.0, 0.0, 0.0, 1.0});
  }
  const Py_ssize_t shape[3] = {static_cast<Py_ssize_t>(placements->size()), 4, 4};
  return new_array(shape, values.data());
}

PyObject* frame_jacobian_binding(const Model& model, Data& data, const Array<-1>& q,
                                 PyObject* frame_id, const std::optional<std::string>& kind) {
  constexpr const char* prefix = "Error in frame Jacobian: ";
  FrameQuery frame;
  if (!frame.load(model, frame_id, kind)) return nullptr;
  std::array<FlatValues, 1> x;
  if (auto read = read_vectors(model, prefix, {"q"}, {&q}, x); !read) return raise(read.error());
  return new_jacobian_array<6>(
      model,
      [&](Matrix6XRef out) {
        return frame_jacobian(model, data, x[0].map(), frame.id, frame.kind, out);
      },
      prefix);
}

PyObject* frame_velocity_binding(const Model& model, Data& data, const Array<-1>& q,
                                 const Array<-1>& v, PyObject* frame_id,
                                 const std::optional<std::string>& kind) {
  constexpr const char* prefix = "Error in frame velocity: ";
  FrameQuery frame;
  if (!frame.load(model, frame_id, kind)) return nullptr;
  std::array<FlatValues, 2> x;
  if (auto read = read_vectors(model, prefix, {"q", "v"}, {&q, &v}, x); !read) {
    return raise(read.error());
  }
  return result_to_python(frame_velocity(model, data, x[0].map(), x[1].map(), frame.id, frame.kind),
                          prefix);
}

PyObject* frame_acceleration_binding(const Model& model, Data& data, const Array<-1>& q,
                                     const Array<-1>& v, const Array<-1>& a, PyObject* frame_id,
                                     const std::optional<std::string>& kind) {
  constexpr const char* prefix = "Error in frame acceleration: ";
  FrameQuery frame;
  if (!frame.load(model, frame_id, kind)) return nullptr;
  std::array<FlatValues, 3> x;
  if (auto read = read_vectors(model, prefix, {"q", "v", "a"}, {&q, &v, &a}, x); !read) {
    return raise(read.error());
  }
  return result_to_python(
      frame_acceleration(model, data, x[0].map(), x[1].map(), x[2].map(), frame.id, frame.kind),
      prefix);
}

PyObject* frame_jacobian_time_variation_binding(const Model& model, Data& data, const Array<-1>& q,
                                                const Array<-1>& v, PyObject* frame_id,
                                                const std::optional<std::string>& kind) {
  constexpr const char* prefix = "Error in frame Jacobian time variation: ";
  FrameQuery frame;
  if (!frame.load(model, frame_id, kind)) return nullptr;
  std::array<FlatValues, 2> x;
  if (auto read = read_vectors(model, prefix, {"q", "v"}, {&q, &v}, x); !read) {
    return raise(read.error());
  }
  return new_jacobian_array<6>(
      model,
      [&](Matrix6XRef out) {
        return frame_jacobian_time_variation(model, data, x[0].map(), x[1].map(), frame.id,
                                             frame.kind, out);
      },
      prefix);
}

PyObject* center_of_mass_binding(const Model& model, Data& data, const Array<-1>& q) {
  constexpr const char* prefix = "Error in center of mass: ";
  std::array<FlatValues, 1> x;
  if (auto read = read_vectors(model, prefix, {"q"}, {&q}, x); !read) return raise(read.error());
  return result_to_python(center_of_mass(model, data, x[0].map()), prefix);
}

PyObject* center_of_mass_jacobian_binding(const Model& model, Data& data, const Array<-1>& q) {
  constexpr const char* prefix = "Error in center of mass Jacobian: ";
  std::array<FlatValues, 1> x;
  if (auto read = read_vectors(model, prefix, {"q"}, {&q}, x); !read) return raise(read.error());
  return new_jacobian_array<3>(
      model, [&](Matrix3XRef out) { return center_of_mass_jacobian(model, data, x[0].map(), out); },
      prefix);
}

double total_mass_binding(const Model& model) { return total_mass(model); }

}  // namespace
}  // namespace kinetra::python

bool kinetra::python::init_frames(ModuleBuilder& m) {
  static PyMethodDef functions[] = {
      def<"frame_placement", "(model, data, frame_id, q=None)", &frame_placement_binding>(
          "World placement (SE3) of frame `frame_id` from the joint placements of the last "
          "forward_kinematics on `data`; with q, runs forward_kinematics on q first."),
      def<"frame_placements", "(model, data, q=None)", &frame_placements_binding>(
          "World placements of every frame from the last forward_kinematics on `data`, an "
          "(nframes, 4, 4) array of homogeneous matrices; with q, runs forward_kinematics on q "
          "first."),
      def<"frame_jacobian", "(model, data, q, frame_id, kind='geometric')",
          &frame_jacobian_binding>(
          "Jacobian of frame `frame_id` at q, a (6, nv) array with rows (angular; linear): "
          "'geometric' (world axes, at the frame origin), 'body' (frame axes) or 'spatial' (world "
          "axes, at the world origin). Runs forward_kinematics on q."),
      def<"frame_velocity", "(model, data, q, v, frame_id, kind='geometric')",
          &frame_velocity_binding>(
          "Twist (angular; linear) of frame `frame_id` of the given kind for (q, v), a (6,) array "
          "equal to frame_jacobian(...) @ v."),
      def<"frame_acceleration", "(model, data, q, v, a, frame_id, kind='geometric')",
          &frame_acceleration_binding>(
          "Time derivative (angular; linear) of frame_velocity of the given kind along (q, v, a), "
          "a (6,) array; for 'geometric' the classical acceleration of the frame origin."),
      def<"frame_jacobian_time_variation", "(model, data, q, v, frame_id, kind='geometric')",
          &frame_jacobian_time_variation_binding>(
          "dJ/dt of frame_jacobian of the given kind along (q, v), a (6, nv) array with rows "
          "(angular; linear): frame_acceleration = J a + dJ/dt v."),
      def<"center_of_mass", "(model, data, q)", &center_of_mass_binding>(
          "World centre of mass of every body at q, a (3,) array, bodies welded to the world "
          "included (centroidal_momentum's centre counts the moving bodies only). Runs "
          "forward_kinematics on q."),
      def<"center_of_mass_jacobian", "(model, data, q)", &center_of_mass_jacobian_binding>(
          "Jacobian of the world centre of mass at q, a (3, nv) array. Runs forward_kinematics on "
          "q."),
      def<"total_mass", "(model)", &total_mass_binding>(
          "Mass of every body, those welded to the world included, as a float.")};
  return m.add_functions(functions);
}
