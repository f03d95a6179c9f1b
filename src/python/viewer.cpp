// kinetra.viewer: a module whose names come from kinetra_tools.viewer on first use, so that
// importing kinetra never imports the viewer's web server and mesh reader.
#include <string_view>

#include "python/families.hpp"
#include "python/kit/ref.hpp"

namespace kinetra::python {
namespace {

constexpr const char* kViewerDoc =
    "A browser viewer of models, configurations and trajectories: kinetra.viewer.Viewer.\n"
    "Needs the viewer extra: pip install 'kinetra[viewer]'.";

// The module's __getattr__: other names than dunders load the implementation and are read
// from it; dunder lookups (import machinery, help, copy) never load it, except __all__.
PyObject* viewer_attribute(PyObject*, PyObject* name) {
  const char* text = PyUnicode_AsUTF8(name);
  if (!text) return nullptr;
  std::string_view view(text);
  if (view.starts_with("__") && view != "__all__") {
    PyErr_Format(PyExc_AttributeError, "module 'kinetra.viewer' has no attribute '%s'", text);
    return nullptr;
  }
  Ref implementation(PyImport_ImportModule("kinetra_tools.viewer"));
  if (!implementation) return nullptr;
  return PyObject_GetAttr(implementation.get(), name);
}

PyMethodDef viewer_getattr = {"__getattr__", viewer_attribute, METH_O, nullptr};

}  // namespace

bool add_viewer(PyObject* module) {
  Ref viewer(PyModule_New("kinetra.viewer"));
  if (!viewer || PyModule_SetDocString(viewer.get(), kViewerDoc) < 0) return false;
  Ref getattr(PyCFunction_New(&viewer_getattr, nullptr));
  PyObject* modules = PySys_GetObject("modules");  // borrowed
  return getattr && PyObject_SetAttrString(viewer.get(), "__getattr__", getattr.get()) == 0 &&
         PyObject_SetAttrString(module, "viewer", viewer.get()) == 0 && modules &&
         PyDict_SetItemString(modules, "kinetra.viewer", viewer.get()) == 0;
}

}  // namespace kinetra::python
