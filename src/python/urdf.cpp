// Python functions build_models_from_urdf and build_models_from_urdf_string.
#include <cstdlib>
#include <filesystem>

#include "kinetra/urdf/urdf.hpp"
#include "python/classes.hpp"
#include "python/families.hpp"

namespace kinetra::python {
namespace {

// A str, or an os.PathLike whose path is a str; nullopt with the conversion TypeError raised
// for anything else, or with the exception its __fspath__ raised.
std::optional<std::string> path_text(PyObject* obj, const char* parameter) {
  const bool str = PyUnicode_Check(obj);
  Ref path(str ? Py_NewRef(obj)
               : PyObject_HasAttrString(reinterpret_cast<PyObject*>(Py_TYPE(obj)), "__fspath__")
               ? PyOS_FSPath(obj)
               : nullptr);
  if (!str && path.get() == nullptr && PyErr_Occurred()) return std::nullopt;
  if (!path || !PyUnicode_Check(path.get())) {
    raise_conversion_error(parameter, obj, "PyString");
    return std::nullopt;
  }
  Arg<std::string> text;
  if (!text.load(path.get(), parameter)) return std::nullopt;
  return std::move(text.value);
}

// The folder of each named package; false with TypeError or ValueError raised on a mapping
// that is not of package names (str) to existing folders (str or os.PathLike).
bool read_packages(PyObject* packages, MeshLookup& lookup) {
  if (!PyDict_Check(packages) && !PyObject_HasAttrString(packages, "items")) {
    raise(PyExc_TypeError,
          "packages must be a mapping of package names to folders, got " + type_name(packages));
    return false;
  }
  Ref items(PyMapping_Items(packages));
  if (!items) return false;
  for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i) {
    PyObject* item = PyList_GET_ITEM(items.get(), i);
    // items() of a mapping of another kind may give anything
    if (!PyTuple_Check(item) || PyTuple_GET_SIZE(item) != 2) {
      raise(PyExc_TypeError, "packages: items() must give (name, folder) pairs");
      return false;
    }
    PyObject* key = PyTuple_GET_ITEM(item, 0);
    if (!PyUnicode_Check(key)) {
      raise(PyExc_TypeError, "packages: a package name must be a str, got " + type_name(key));
      return false;
    }
    Arg<std::string> name;
    if (!name.load(key, "packages")) return false;
    const std::string entry = "packages['" + name.value + "']";
    if (name.value.empty() || name.value.find('/') != std::string::npos) {
      raise(PyExc_ValueError, entry + ": a package name is not empty and has no '/'");
      return false;
    }
    auto folder = path_text(PyTuple_GET_ITEM(item, 1), entry.c_str());
    if (!folder) return false;
    std::error_code error;
    if (folder->find('\0') != std::string::npos || !std::filesystem::is_directory(*folder, error)) {
      raise(PyExc_ValueError, entry + ": no such folder: " + *folder);
      return false;
    }
    lookup.packages.insert_or_assign(std::move(name.value), std::move(*folder));
  }
  return true;
}

// The mesh lookup the readers' keywords describe; nullopt with an exception raised on a refused
// keyword.
std::optional<MeshLookup> mesh_lookup(PyObject* package_dir, PyObject* packages,
                                      PyObject* check_meshes) {
  MeshLookup lookup;
  if (package_dir && package_dir != Py_None) {
    lookup.package_dir = path_text(package_dir, "package_dir");
    if (!lookup.package_dir) return std::nullopt;
  }
  if (packages && packages != Py_None && !read_packages(packages, lookup)) return std::nullopt;
  if (check_meshes) {
    Arg<bool> check;
    if (!check.load(check_meshes, "check_meshes")) return std::nullopt;
    lookup.check_meshes = check.value;
  }
  // read here, under the GIL that os.environ's changes also hold, not while the reader runs
  const char* search_path = std::getenv("ROS_PACKAGE_PATH");
  lookup.package_path = search_path ? std::optional<std::string>(search_path) : std::nullopt;
  return lookup;
}

// None, or the joint model to put under each root link; false with TypeError raised for anything
// else.
bool read_root_joint(PyObject* root_joint, std::optional<JointModel>& joint) {
  if (!root_joint || root_joint == Py_None) return true;
  ArgFor<const JointModel&> model;
  if (!model.load(root_joint, "root_joint")) return false;
  joint = model.get();
  return true;
}

// The `mimic` keyword: false when absent; nullopt with TypeError raised for a non-bool.
std::optional<bool> read_mimic(PyObject* mimic) {
  if (!mimic) return false;
  Arg<bool> value;
  if (!value.load(mimic, "mimic")) return std::nullopt;
  return value.value;
}

// The reader's models as a tuple, or its error as a ValueError. The reading runs without the GIL.
template <class Read>
PyObject* read_models(Read read) {
  std::expected<UrdfModels, ParseError> models;
  {
    WithoutGil unlocked;
    models = read();
  }
  if (!models) return raise(PyExc_ValueError, models.error().display());
  return to_python(std::tuple{std::move(models->model), std::move(models->collision),
                              std::move(models->visual)});
}

PyObject* read_urdf(PyObject* filepath, PyObject* package_dir, PyObject* packages,
                    PyObject* check_meshes, PyObject* root_joint, PyObject* mimic) {
  const auto path = path_text(filepath, "filepath");
  if (!path) return nullptr;
  const auto lookup = mesh_lookup(package_dir, packages, check_meshes);
  if (!lookup) return nullptr;
  std::optional<JointModel> root;
  if (!read_root_joint(root_joint, root)) return nullptr;
  const auto follow = read_mimic(mimic);
  if (!follow) return nullptr;
  return read_models([&] { return build_models_from_urdf(*path, *lookup, root, *follow); });
}

PyObject* read_urdf_string(const std::string& xml, PyObject* package_dir, PyObject* packages,
                           PyObject* check_meshes, PyObject* root_joint, PyObject* mimic) {
  const auto lookup = mesh_lookup(package_dir, packages, check_meshes);
  if (!lookup) return nullptr;
  std::optional<JointModel> root;
  if (!read_root_joint(root_joint, root)) return nullptr;
  const auto follow = read_mimic(mimic);
  if (!follow) return nullptr;
  return read_models([&] { return build_models_from_urdf_string(xml, *lookup, root, *follow); });
}

}  // namespace
}  // namespace kinetra::python

bool kinetra::python::init_urdf(ModuleBuilder& m) {
  static PyMethodDef functions[] = {
      def<"build_models_from_urdf",
          "(filepath, package_dir=None, packages=None, check_meshes=True, root_joint=None, "
          "mimic=False)",
          &read_urdf>("A Python wrapper for the `build_models_from_urdf` function.")};
  return m.add_functions(functions);
}

bool kinetra::python::init_urdf_text(ModuleBuilder& m) {
  static PyMethodDef functions[] = {
      def<"build_models_from_urdf_string",
          "(xml, package_dir=None, packages=None, check_meshes=True, root_joint=None, "
          "mimic=False)",
          &read_urdf_string>(
          "Reads a robot from URDF text in memory: the same rules and errors as "
          "`build_models_from_urdf`. Returns (model, collision_model, visual_model). Relative "
          "mesh names resolve against `package_dir` (no default); 'package://NAME/...' through "
          "`packages`, then the ROS_PACKAGE_PATH entries named NAME.")};
  return m.add_functions(functions);
}
