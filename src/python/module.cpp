// The module entry: registers every class, function, constant and submodule in order.
#include "python/kit/module.hpp"
#include "kinetra/spatial/vector.hpp"
#include "python/classes.hpp"

namespace kinetra::python {
namespace {

PyModuleDef module_definition = {
    PyModuleDef_HEAD_INIT, "kinetra", "", -1, nullptr, nullptr, nullptr, nullptr, nullptr};

PyObject* cached_module = nullptr;
PyInterpreterState* owning_interpreter = nullptr;

// An empty module registered as "kinetra.<name>" in sys.modules.
bool add_to_sys_modules(const char* key, PyObject* module) {
  PyObject* modules = PySys_GetObject("modules");  // borrowed
  return modules && PyDict_SetItemString(modules, key, module) == 0;
}

bool register_all(PyObject* module) {
  ModuleBuilder m(module);
  const Vector3D gravity(0.0, 0.0, -9.81);
  if (!(m.add_class(PyClass<PyConfiguration>::type()) && m.add("WORLD_ID", PyLong_FromLong(0)) &&
        m.add("STANDARD_GRAVITY", to_numpy(gravity)) && m.add_class(PyClass<Inertia>::type()))) {
    return false;
  }
  // "SE3" is first a member-less submodule, then the class replaces it as attribute
  Ref se3_module(PyModule_New("SE3"));
  if (!se3_module || !m.add("SE3", Ref(se3_module).release())) return false;
  if (!(m.add_class(PyClass<SE3>::type()) && m.add_class(PyClass<PyVector3D>::type()) &&
        m.add_class(PyClass<PyVector6D>::type()) && m.add_class(PyClass<Symmetric3>::type()) &&
        add_to_sys_modules("kinetra.SE3", se3_module.get()))) {
    return false;
  }
  return true;
}

}  // namespace
}  // namespace kinetra::python

extern "C" __attribute__((visibility("default"))) PyObject* PyInit_kinetra() {
  using namespace kinetra::python;
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
  Ref module(PyModule_Create(&module_definition));
  if (!module || !register_all(module.get())) return nullptr;
  owning_interpreter = interpreter;
  cached_module = Py_NewRef(module.get());
  return module.release();
}
