// The module entry: adds every class, function, constant and submodule in its fixed order.
#include <string_view>

#include "kinetra/spatial/vector.hpp"
#include "python/kit/error.hpp"
#include "python/kit/module.hpp"
#include "python/kit/numpy.hpp"
#include "python/kit/registry.hpp"
#include "python/pickling.hpp"

namespace kinetra::python {
namespace {

PyObject* cached_module = nullptr;
PyInterpreterState* owning_interpreter = nullptr;

enum class Entry { Class, Function, Constant, SE3Module, Submodule };

struct Step {
  Entry kind;
  const char* name;
};

// The registration order, which is also the order of __all__.
constexpr Step kSteps[] = {
    {Entry::Class, "Configuration"},
    {Entry::Class, "Model"},
    {Entry::Class, "Data"},
    {Entry::Class, "Frame"},
    {Entry::Class, "FrameType"},
    {Entry::Class, "JointModel"},
    {Entry::Class, "GeometryModel"},
    {Entry::Class, "GeometryData"},
    {Entry::Class, "GeometryObject"},
    {Entry::Function, "neutral"},
    {Entry::Function, "random_configuration"},
    {Entry::Function, "build_models_from_urdf"},
    {Entry::Constant, "WORLD_ID"},
    {Entry::Constant, "STANDARD_GRAVITY"},
    {Entry::Class, "Inertia"},
    {Entry::Class, "JointType"},
    {Entry::Function, "JointModelRX"},
    {Entry::Function, "JointModelRY"},
    {Entry::Function, "JointModelRZ"},
    {Entry::SE3Module, "SE3"},
    {Entry::Class, "SE3"},
    {Entry::Class, "Vector3D"},
    {Entry::Class, "Vector6D"},
    {Entry::Class, "Symmetric3"},
    {Entry::Function, "forward_kinematics"},
    {Entry::Function, "forward_dynamics"},
    {Entry::Function, "aba"},
    {Entry::Function, "inverse_dynamics"},
    {Entry::Function, "rnea"},
    {Entry::Submodule, "vortan"},
    {Entry::Function, "crba"},
    {Entry::Function, "mass_matrix"},
    {Entry::Function, "nonlinear_effects"},
    {Entry::Function, "generalized_gravity"},
    {Entry::Function, "kinetic_energy"},
    {Entry::Function, "potential_energy"},
    {Entry::Submodule, "batch"},
};

bool add_to_sys_modules(const char* key, PyObject* module) {
  PyObject* modules = PySys_GetObject("modules");  // borrowed
  return modules && PyDict_SetItemString(modules, key, module) == 0;
}

PyObject* constant(std::string_view name) {
  if (name == "WORLD_ID") return PyLong_FromLong(0);
  return to_numpy(Vector3D(0.0, 0.0, -9.81));  // STANDARD_GRAVITY
}

bool missing(const char* name) {
  raise(PyExc_ImportError, std::string("kinetra: nothing registered as ") + name);
  return false;
}

bool add_step(ModuleBuilder& m, const Step& step) {
  switch (step.kind) {
    case Entry::Class: {
      TypeGetter type = find_class(step.name);
      return type ? m.add_class(type()) : missing(step.name);
    }
    case Entry::Function: {
      PyMethodDef* def = find_function(step.name);
      return def ? m.add_function(def) : missing(step.name);
    }
    case Entry::Constant:
      return m.add(step.name, constant(step.name));
    case Entry::SE3Module: {
      // a member-less submodule; the class SE3 replaces it as attribute right after
      Ref submodule(PyModule_New(step.name));
      return submodule && m.add(step.name, Ref(submodule).release()) &&
             add_to_sys_modules("kinetra.SE3", submodule.get());
    }
    case Entry::Submodule: {
      ModuleMaker make = find_submodule(step.name);
      if (!make) return missing(step.name);
      Ref submodule(make());
      return submodule && m.add(step.name, Ref(submodule).release()) &&
             add_to_sys_modules((std::string("kinetra.") + step.name).c_str(), submodule.get());
    }
  }
  return false;
}

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
  for (const Step& step : kSteps) {
    if (!add_step(builder, step)) return nullptr;
  }
  if (!add_from_bytes(module.get())) return nullptr;
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
