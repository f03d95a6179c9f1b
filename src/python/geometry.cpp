// Python classes GeometryObject, GeometryModel and GeometryData.
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "kinetra/geometry/collision_pairs.hpp"
#include "kinetra/spatial/debug.hpp"
#include "kinetra/urdf/srdf.hpp"
#include "python/classes.hpp"
#include "python/families.hpp"
#include "python/pickling.hpp"

namespace kinetra::python {
namespace {

// ---- GeometryObject

// Copies the shape held by `obj` into `out` when `obj` is an instance of shape class S.
template <class S>
bool copy_shape(PyObject* obj, std::optional<vortan::ShapeWrapper>& out) {
  if (Py_TYPE(obj) != PyClass<S>::type()) return false;
  SharedBorrow<S> shape;
  if (shape.acquire(obj)) out.emplace(shape.get());
  return true;
}

// GeometryObject(*py_args): exactly five positional arguments, converted in order.
PyObject* geometry_object_new(PyTypeObject*, PyObject* args, PyObject* kwargs) {
  if (kwargs && PyDict_GET_SIZE(kwargs) > 0) {
    Py_ssize_t pos = 0;
    PyObject *key, *value;
    PyDict_Next(kwargs, &pos, &key, &value);
    return PyErr_Format(PyExc_TypeError,
                        "GeometryObject.__new__() got an unexpected keyword argument '%U'", key);
  }
  const Py_ssize_t n = PyTuple_GET_SIZE(args);
  if (n != 5) {
    return raise(PyExc_ValueError,
                 "incorrect number of arguments, expected 5, but got " + std::to_string(n) +
                     ". Signature: GeometryObject(name, parent_joint, parent_frame, geometry, "
                     "placement)");
  }
  Arg<std::string> name;
  Arg<std::size_t> parent_joint, parent_frame;
  if (!name.load(PyTuple_GET_ITEM(args, 0), "name") ||
      !parent_joint.load(PyTuple_GET_ITEM(args, 1), "parent_joint") ||
      !parent_frame.load(PyTuple_GET_ITEM(args, 2), "parent_frame")) {
    return nullptr;
  }
  PyObject* geometry = PyTuple_GET_ITEM(args, 3);
  std::optional<vortan::ShapeWrapper> shape;
  const bool is_shape =
      copy_shape<vortan::Capsule>(geometry, shape) || copy_shape<vortan::Cone>(geometry, shape) ||
      copy_shape<vortan::Cuboid>(geometry, shape) ||
      copy_shape<vortan::Cylinder>(geometry, shape) || copy_shape<vortan::Sphere>(geometry, shape);
  if (!is_shape) {
    return raise(PyExc_ValueError,
                 "expected a shape for 'geometry', but got " + quote_value(geometry) + ".");
  }
  if (!shape) return nullptr;  // borrow refused
  SharedArg<SE3> placement;
  if (!placement.load(PyTuple_GET_ITEM(args, 4), "placement")) return nullptr;
  try {
    return new_instance(GeometryObject{name.get(), parent_joint.get(), parent_frame.get(),
                                       std::move(*shape), false, Color{0.0, 0.0, 0.0, 1.0},
                                       placement.get()});
  } catch (...) {
    return raise_current_exception();
  }
}

Ref object_mesh_color(const GeometryObject& o) {
  const Py_ssize_t shape[1] = {4};
  return Ref(new_array(shape, o.mesh_color.data()));
}

// Any float64 array of four elements, read in logical (row-major) order.
Result<void> object_set_mesh_color(GeometryObject& o, const Array<-1>& color) {
  if (color.size() != 4) {
    return value_error("expected a NumPy array of length 4 for 'color', but got " +
                       std::to_string(color.size()) + ".");
  }
  auto array = color.values();
  if (!array) return std::unexpected(array.error());
  const Eigen::VectorXd values = array->flatten();
  for (std::size_t i = 0; i < 4; ++i) o.mesh_color[i] = values[static_cast<Eigen::Index>(i)];
  return {};
}

std::string object_repr(const GeometryObject& o) { return debug_value(o).pretty(); }

ClassSpec geometry_object_spec() {
  return {
      .name = "GeometryObject",
      .text_signature = "(*py_args)",
      .doc = "A Python wrapper for the `GeometryObject` struct.",
      .constructor = geometry_object_new,
      .methods = with_copies<GeometryObject>(),
      .properties = {property("name", &getter<&GeometryObject::name>),
                     property("parent_joint", &getter<&GeometryObject::parent_joint>),
                     property("parent_frame", &getter<&GeometryObject::parent_frame>),
                     property("disable_collision", &getter<&GeometryObject::disable_collision>),
                     property("geometry", &getter<&GeometryObject::geometry>),
                     property("placement", &getter<&GeometryObject::placement>),
                     property("mesh_color", &getter<&object_mesh_color>,
                              &setter<"color", &object_set_mesh_color>)},
      .slots = {{Py_tp_repr, slot<&unary<&object_repr>>()}},
  };
}

// ---- GeometryModel

GeometryModel model_new() { return {}; }

std::size_t model_ngeoms(const GeometryModel& m) { return m.objects.size(); }

Result<GeometryData> placements_of(const Data& data, const GeometryModel& m) {
  auto placements = GeometryData::create(data.joint_placements, m);
  if (!placements) return value_error(placements.error().display());
  return *std::move(placements);
}

Result<GeometryData> model_create_data(const GeometryModel& m, const Data& data) {
  return placements_of(data, m);
}

std::string model_repr(const GeometryModel& m) { return debug_value(m).pretty(); }

// ---- collision pairs

std::vector<std::tuple<std::size_t, std::size_t>> model_collision_pairs(const GeometryModel& m) {
  return {m.collision_pairs.begin(), m.collision_pairs.end()};
}

// An object index: any int; a negative one is out of range like a too large one.
Result<std::size_t> object_index(const GeometryModel& m, PyObject* obj, const char* name) {
  if (PyBool_Check(obj) || !PyIndex_Check(obj)) {
    return std::unexpected(
        PyError{PyExc_TypeError, std::string(name) + " must be an int, got " + type_name(obj)});
  }
  Ref index(PyNumber_Index(obj));
  if (!index) return pending_error();
  int overflow = 0;
  const long long value = PyLong_AsLongLongAndOverflow(index.get(), &overflow);
  if (overflow == 0 && value >= 0) return static_cast<std::size_t>(value);
  Ref text(PyObject_Str(index.get()));
  return std::unexpected(PyError{
      PyExc_IndexError, "geometry object index " + std::string(PyUnicode_AsUTF8(text.get())) +
                            " is out of range for a model with " +
                            std::to_string(m.objects.size()) + " objects"});
}

template <auto Edit>
Result<void> edit_pair(GeometryModel& m, PyObject* i, PyObject* j) {
  auto first = object_index(m, i, "i");
  if (!first) return std::unexpected(first.error());
  auto second = object_index(m, j, "j");
  if (!second) return std::unexpected(second.error());
  auto done = Edit(m, *first, *second);
  if (done) return {};
  const PairError& error = done.error();
  return std::unexpected(
      PyError{error.kind == PairError::Kind::OutOfRange ? PyExc_IndexError : PyExc_ValueError,
              error.display()});
}

// An optional bool argument.
Result<bool> flag(PyObject* obj, const char* name, bool otherwise) {
  if (!obj) return otherwise;
  Arg<bool> value;
  if (!value.load(obj, name)) return pending_error();
  return value.get();
}

Result<void> model_add_all_collision_pairs(GeometryModel& m, PyObject* skip_adjacent) {
  auto skip = flag(skip_adjacent, "skip_adjacent", true);
  if (!skip) return std::unexpected(skip.error());
  add_all_collision_pairs(m, *skip, m.joint_parents);
  return {};
}

Result<void> model_remove_collision_pairs_from_srdf(GeometryModel& m, PyObject* path,
                                                    PyObject* strict) {
  auto is_strict = flag(strict, "strict", true);
  if (!is_strict) return std::unexpected(is_strict.error());
  Ref text(PyOS_FSPath(path));
  if (!text || !PyUnicode_Check(text.get())) {
    PyErr_Clear();
    return std::unexpected(
        PyError{PyExc_TypeError, "path must be a str or os.PathLike, got " + type_name(path)});
  }
  const char* chars = PyUnicode_AsUTF8(text.get());
  if (!chars) return pending_error();
  const std::string file = chars;
  auto pairs = read_disabled_collisions(file);
  if (!pairs) return value_error(pairs.error());
  const auto unknown = remove_link_pairs(m, *pairs, *is_strict);
  if (*is_strict && !unknown.empty()) {
    return value_error("SRDF file '" + file + "' names link '" + unknown.front() +
                       "', which the geometry model does not know (strict=False skips it)");
  }
  return {};
}

void model_use_convex_hulls(GeometryModel& m, bool enabled) { m.convex_hulls = enabled; }

ClassSpec geometry_model_spec() {
  return {
      .name = "GeometryModel",
      .text_signature = "()",
      .doc = "A Python wrapper for the [`GeometryModel`] struct.",
      .constructor = constructor<"GeometryModel.__new__", "()", &model_new>,
      .methods = with_copies<GeometryModel>(
          {def<"GeometryModel.add_geometry_object", "($self, object)",
               &GeometryModel::add_geometry_object>(
               "Adds a new geometry model to the list of models.\n\n# Arguments\n\n* `object` - "
               "The geometry object to be added to the model.\n\n# Returns\n\nThe index of the "
               "added geometry object."),
           def<"GeometryModel.get_geometry_id", "($self, name)", &GeometryModel::get_geometry_id>(
               "Returns the ID of the geometry object with the given name, if it exists."),
           def<"GeometryModel.create_data", "($self, data)", &model_create_data>(
               "Creates a new `GeometryData` object based on the provided model and data.\n\n# "
               "Arguments\n\n* `data` - The data to be used for creating the geometry data.\n# "
               "Returns\n\nA `GeometryData` object containing the geometry data for the model."),
           def<"GeometryModel.add_collision_pair", "($self, i, j)",
               &edit_pair<&add_collision_pair>>(
               "Checks objects i and j for collision (stored as (min, max), once)."),
           def<"GeometryModel.remove_collision_pair", "($self, i, j)",
               &edit_pair<&remove_collision_pair>>(
               "Stops checking objects i and j for collision; nothing when they were not."),
           def<"GeometryModel.add_all_collision_pairs", "($self, skip_adjacent=True)",
               &model_add_all_collision_pairs>(
               "Adds every pair of objects on different joints, except objects whose collision "
               "is disabled and, with skip_adjacent, objects whose joints are parent and child "
               "(they touch by construction). The joint tree is the one the URDF reader "
               "recorded; a model built by hand has none, and only same-joint pairs are "
               "skipped."),
           def<"GeometryModel.remove_collision_pairs_from_srdf", "($self, path, strict=True)",
               &model_remove_collision_pairs_from_srdf>(
               "Removes the pairs named by the <disable_collisions link1 link2> entries of a "
               "semantic robot description (SRDF) file, matching links by name among those the "
               "URDF reader recorded. Unknown links raise ValueError naming them, unless "
               "strict=False (then they are skipped)."),
           def<"GeometryModel.use_convex_hulls", "($self, enabled)", &model_use_convex_hulls>(
               "Whether collision queries take each mesh as its convex hull: faster, but an "
               "approximation (a hull covers the mesh's hollows). Default False: every "
               "triangle, in a bounding-volume hierarchy.")}),
      .properties = {property("ngeoms", &getter<&model_ngeoms>),
                     property("geometry_objects", &getter<&GeometryModel::objects>, nullptr,
                              "Returns the list of geometry objects in the model."),
                     property("collision_pairs", &getter<&model_collision_pairs>, nullptr,
                              "The pairs (i, j), i < j, of object indices that collision and "
                              "distance queries check, in the order added.")},
      .slots = {{Py_tp_repr, slot<&unary<&model_repr>>()}},
  };
}

// ---- GeometryData

Result<SE3> data_get_object_placement(const GeometryData& d, std::size_t object_index) {
  if (object_index >= d.object_placements.size()) {
    return std::unexpected(PyError{
        PyExc_KeyError, "Object with index " + std::to_string(object_index) + " not found"});
  }
  return d.object_placements[object_index];
}

Result<void> data_update_geometry_data(GeometryData& d, const Data& data,
                                       const GeometryModel& geom_model) {
  auto updated = d.update(data.joint_placements, geom_model);
  if (!updated) return value_error(updated.error().display());
  return {};
}

ClassSpec geometry_data_spec() {
  return {
      .name = "GeometryData",
      .text_signature = "(data, geom_model)",
      .doc = "A Python wrapper for the `GeometryData` struct.",
      .constructor = constructor<"GeometryData.__new__", "(data, geom_model)", &placements_of>,
      .methods = {def<"GeometryData.get_object_placement", "($self, object_index)",
                      &data_get_object_placement>(
                      "Returns the placement of the object of given index in the world "
                      "frame.\n\n# Arguments\n\n* `object_index` - The index of the object.\n\n# "
                      "Returns\nThe object placement if it exists, otherwise `None`."),
                  def<"GeometryData.update_geometry_data", "($self, data, geom_model)",
                      &data_update_geometry_data>(
                      "Updates the geometry data using the updated model data and geometry "
                      "model.\n\n# Arguments\n\n* `data` - The model data object.\n* "
                      "`geom_model` - The geometry model object.")},
  };
}

}  // namespace
}  // namespace kinetra::python

KINETRA_DEFINE_CLASS(kinetra::GeometryObject, kinetra::python::geometry_object_spec)
KINETRA_DEFINE_CLASS(kinetra::GeometryModel, kinetra::python::geometry_model_spec)
KINETRA_DEFINE_CLASS(kinetra::GeometryData, kinetra::python::geometry_data_spec)

bool kinetra::python::init_geometry(ModuleBuilder& m) {
  return m.add_classes<GeometryModel, GeometryData, GeometryObject>();
}
