// Python functions of the collision queries: compute_distances and compute_collisions on a
// model's geometry, and vortan.distance on two placed shapes.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "kinetra/geometry/collision_queries.hpp"
#include "kinetra/model/algorithms.hpp"
#include "python/classes.hpp"
#include "python/conversions.hpp"
#include "python/families.hpp"

#define PY_ARRAY_UNIQUE_SYMBOL kinetra_ARRAY_API
#define NO_IMPORT_ARRAY
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <numpy/arrayobject.h>

namespace kinetra::python {
namespace {

// Forward kinematics on q (checked finite), the objects' placements, and the workspace made
// ready for the pairs.
Result<void> place_geometry(const char* prefix, const Model& model, Data& data,
                            const GeometryModel& geometry_model, GeometryData& geometry_data,
                            const Array<-1>& q) {
  std::array<FlatValues, 1> x;
  if (auto read = read_vectors(model, prefix, {"q"}, {&q}, x); !read) {
    return std::unexpected(read.error());
  }
  if (!x[0].map().allFinite()) {
    return value_error(std::string(prefix) + "q holds NaN or infinity; nothing was computed");
  }
  // shapes (meshes read, sizes checked) before anything of data changes
  if (auto ready = prepare_collision_shapes(geometry_model, geometry_data.collision); !ready) {
    return value_error(prefix + ready.error().message);
  }
  if (auto done = forward_kinematics(model, data, x[0].map()); !done) {
    return value_error(prefix + done.error().display());
  }
  if (auto updated = geometry_data.update(data.joint_placements, geometry_model); !updated) {
    return value_error(prefix + updated.error().display());
  }
  if (auto placed = place_collision_shapes(geometry_model, geometry_data, geometry_data.collision);
      !placed) {
    return value_error(prefix + placed.error().message);
  }
  return {};
}

Result<Ref> compute_distances_binding(const Model& model, Data& data,
                                      const GeometryModel& geometry_model,
                                      GeometryData& geometry_data, const Array<-1>& q) {
  constexpr const char* prefix = "compute_distances: ";
  if (auto placed = place_geometry(prefix, model, data, geometry_model, geometry_data, q);
      !placed) {
    return std::unexpected(placed.error());
  }
  const std::size_t count = geometry_model.collision_pairs.size();
  std::vector<vortan::DistanceResult> results(count);
  if (auto done = compute_distances(geometry_model, geometry_data.collision, results); !done) {
    return value_error(prefix + done.error().message);
  }
  std::vector<double> distances(count), points(count * 6), normals(count * 3);
  for (std::size_t k = 0; k < count; ++k) {
    distances[k] = results[k].distance;
    Eigen::Map<Eigen::Vector3d>{&points[6 * k]} = results[k].point1;
    Eigen::Map<Eigen::Vector3d>{&points[6 * k + 3]} = results[k].point2;
    Eigen::Map<Eigen::Vector3d>{&normals[3 * k]} = results[k].normal;
  }
  const auto p = static_cast<Py_ssize_t>(count);
  const Py_ssize_t distance_shape[] = {p}, point_shape[] = {p, 2, 3}, normal_shape[] = {p, 3};
  Ref d(new_array(distance_shape, distances.data())), x(new_array(point_shape, points.data())),
      n(new_array(normal_shape, normals.data()));
  if (!d || !x || !n) return pending_error();
  return Ref(PyTuple_Pack(3, d.get(), x.get(), n.get()));
}

Result<Ref> compute_collisions_binding(const Model& model, Data& data,
                                       const GeometryModel& geometry_model,
                                       GeometryData& geometry_data, const Array<-1>& q,
                                       PyObject* stop_at_first) {
  constexpr const char* prefix = "compute_collisions: ";
  bool stop = false;
  if (stop_at_first) {
    Arg<bool> flag;
    if (!flag.load(stop_at_first, "stop_at_first")) return pending_error();
    stop = flag.get();
  }
  if (auto placed = place_geometry(prefix, model, data, geometry_model, geometry_data, q);
      !placed) {
    return std::unexpected(placed.error());
  }
  const npy_intp count = static_cast<npy_intp>(geometry_model.collision_pairs.size());
  Ref result(PyArray_SimpleNew(1, &count, NPY_BOOL));
  if (!result) return pending_error();
  auto* hits =
      static_cast<std::uint8_t*>(PyArray_DATA(reinterpret_cast<PyArrayObject*>(result.get())));
  if (auto done = compute_collisions(geometry_model, geometry_data.collision, stop,
                                     {hits, static_cast<std::size_t>(count)});
      !done) {
    return value_error(prefix + done.error().message);
  }
  return result;
}

// ---- vortan.distance

// A copy of the shape held by an instance of any shape class (Sphere, ..., PyMesh, Shape).
template <class S>
bool shape_of(PyObject* obj, std::optional<vortan::ShapeWrapper>& out, bool& refused) {
  if (Py_TYPE(obj) != PyClass<S>::type()) return false;
  SharedBorrow<S> shape;
  if (!shape.acquire(obj)) {
    refused = true;
    return true;
  }
  if constexpr (std::is_same_v<S, vortan::ShapeWrapper>) {
    out.emplace(shape.get());
  } else {
    out.emplace(S(shape.get()));
  }
  return true;
}

Result<std::shared_ptr<const vortan::CollisionGeometry>> collision_shape(PyObject* obj,
                                                                         const char* name) {
  std::optional<vortan::ShapeWrapper> shape;
  bool refused = false;
  const bool known = shape_of<vortan::Sphere>(obj, shape, refused) ||
                     shape_of<vortan::Cuboid>(obj, shape, refused) ||
                     shape_of<vortan::Capsule>(obj, shape, refused) ||
                     shape_of<vortan::Cone>(obj, shape, refused) ||
                     shape_of<vortan::Cylinder>(obj, shape, refused) ||
                     shape_of<vortan::Mesh>(obj, shape, refused) ||
                     shape_of<vortan::ShapeWrapper>(obj, shape, refused);
  if (!known) {
    return std::unexpected(PyError{PyExc_TypeError, std::string(name) +
                                                        " must be a shape (Sphere, Cuboid, "
                                                        "Capsule, Cone, Cylinder, PyMesh or "
                                                        "Shape), got " +
                                                        type_name(obj)});
  }
  if (refused) return pending_error();
  auto made = vortan::make_collision_geometry(shape->get(), false);
  if (!made) return value_error(std::string(name) + ": " + made.error().message);
  return *std::move(made);
}

Result<vortan::Placement> placement_of(const SE3& placement, const char* name) {
  if (!placement.rotation.allFinite() || !placement.translation.allFinite()) {
    return value_error(std::string(name) + " holds NaN or infinity");
  }
  return vortan::Placement{placement.rotation, placement.translation};
}

Result<Ref> distance_binding(PyObject* shape1, const SE3& placement1, PyObject* shape2,
                             const SE3& placement2) {
  auto one = collision_shape(shape1, "shape1");
  if (!one) return std::unexpected(one.error());
  auto two = collision_shape(shape2, "shape2");
  if (!two) return std::unexpected(two.error());
  auto x1 = placement_of(placement1, "placement1");
  if (!x1) return std::unexpected(x1.error());
  auto x2 = placement_of(placement2, "placement2");
  if (!x2) return std::unexpected(x2.error());
  auto result = vortan::distance(**one, *x1, **two, *x2);
  if (!result) return value_error(result.error().message);
  return Ref(Py_BuildValue("(dNNN)", result->distance, to_numpy(result->point1),
                           to_numpy(result->point2), to_numpy(result->normal)));
}

}  // namespace
}  // namespace kinetra::python

bool kinetra::python::init_collision(ModuleBuilder& m) {
  static PyMethodDef functions[] = {
      def<"compute_distances", "(model, data, geometry_model, geometry_data, q)",
          &compute_distances_binding>(
          "Signed distances of the geometry model's collision pairs after forward kinematics on "
          "q: (distances (P,), points (P, 2, 3), normals (P, 3)) for the P pairs in order. A "
          "distance is negative when the pair overlaps (minus the penetration depth; exact for "
          "sphere, capsule and cuboid pairs, approximate otherwise); the points are the nearest "
          "(or deepest) points of each object in the world; the normal is the unit vector from "
          "the first object to the second. Meshes are read from their files on first use."),
      def<"compute_collisions",
          "(model, data, geometry_model, geometry_data, q, "
          "stop_at_first=False)",
          &compute_collisions_binding>(
          "Whether each collision pair overlaps after forward kinematics on q, (P,) bool. Broad "
          "phase: a sweep of the objects' axis-aligned world boxes along x, so that only pairs "
          "whose boxes overlap reach the exact test. With stop_at_first, returns after the first "
          "overlapping pair (in pair order), leaving the later pairs False.")};
  return m.add_functions(functions);
}

bool kinetra::python::add_vortan_distance(ModuleBuilder& m) {
  static PyMethodDef functions[] = {
      def<"distance", "(shape1, placement1, shape2, placement2)", &distance_binding>(
          "The signed distance between two placed shapes: (distance, point1, point2, normal). "
          "Negative when they overlap (minus the penetration depth); point1 and point2 are the "
          "nearest (or deepest) points in the world; normal is the unit vector from shape 1 to "
          "shape 2 (point2 - point1 = distance * normal). A PyMesh is read from its file, every "
          "triangle.")};
  return m.add_functions(functions);
}
