// The module entry: adds every family of classes and functions in the fixed order of __all__.
#include "kinetra/spatial/vector.hpp"
#include "python/families.hpp"
#include "python/kit/error.hpp"
#include "python/kit/numpy.hpp"
#include "python/pickling.hpp"

namespace kinetra::python {
namespace {

PyObject* cached_module = nullptr;
PyInterpreterState* owning_interpreter = nullptr;

bool init_constants(ModuleBuilder& m) {
  return m.add("WORLD_ID", PyLong_FromLong(0)) &&
         m.add("STANDARD_GRAVITY", to_numpy(Vector3D(0.0, 0.0, -9.81)));
}

// The order of the calls is the order of __all__.
constexpr bool (*kFamilies[])(ModuleBuilder&) = {init_configuration,
                                                 init_model,
                                                 init_joint_model,
                                                 init_geometry,
                                                 init_configurations,
                                                 init_urdf,
                                                 init_constants,
                                                 init_inertia,
                                                 init_joint_types,
                                                 init_se3,
                                                 init_spatial,
                                                 init_dynamics,
                                                 init_vortan,
                                                 init_dynamics_terms,
                                                 init_urdf_text,
                                                 init_frames,
                                                 init_configuration_space,
                                                 init_batch,
                                                 init_derivatives,
                                                 init_collision,
                                                 init_rigid_motions,
                                                 init_inverse_kinematics};

// Creates the module once per process; later imports get the same object. Multi-phase
// initialisation makes every interpreter call this, so other interpreters can be refused.
PyObject* create_module(PyObject*, PyModuleDef*) {
  PyInterpreterState* interpreter = PyInterpreterState_Get();
  if (cached_module) {
    if (interpreter != owning_interpreter) {
      PyErr_SetString(PyExc_ImportError,
                      "kinetra does not support sub-interpreters: it can be imported only in "
                      "the interpreter that first loaded it");
      return nullptr;
    }
    return Py_NewRef(cached_module);
  }
  if (!import_numpy()) return nullptr;
  Ref module(PyModule_New("kinetra"));
  if (!module) return nullptr;
  ModuleBuilder builder(module.get());
  for (auto init : kFamilies) {
    if (!init(builder)) return nullptr;
  }
  if (!add_from_bytes(module.get())) return nullptr;
  // not listed in __all__
  if (PyModule_AddStringConstant(module.get(), "__version__", KINETRA_VERSION) < 0) return nullptr;
  if (!add_viewer(module.get())) return nullptr;
  owning_interpreter = interpreter;
  cached_module = Py_NewRef(module.get());
  return module.release();
}

PyModuleDef_Slot module_slots[] = {{Py_mod_create, reinterpret_cast<void*>(&create_module)},
                                   {0, nullptr}};

PyModuleDef module_definition = {PyModuleDef_HEAD_INIT, "kinetra", "",      0,      nullptr,
                                 module_slots,          nullptr,   nullptr, nullptr};

}  // namespace
}  // namespace kinetra::python

extern "C" __attribute__((visibility("default"))) PyObject* PyInit_kinetra() {
  return PyModuleDef_Init(&kinetra::python::module_definition);
}
