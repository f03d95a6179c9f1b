#pragma once

#include <string>
#include <vector>

#include "python/kit/function.hpp"

namespace kinetra::python {

// Everything needed to make the type object of an exposed class.
struct ClassSpec {
  const char* name;                      // Python class name; the type is "builtins.<name>"
  const char* text_signature = nullptr;  // constructor signature; none for classes without one
  const char* doc = "";
  newfunc constructor = no_constructor;
  std::vector<PyMethodDef> methods = {};
  std::vector<PyGetSetDef> properties = {};
  std::vector<PyType_Slot> slots = {};  // operators, repr, subscript, ...
};

// A heap type: not subclassable, no __dict__, docstring with the constructor's signature.
PyTypeObject* create_class(ClassSpec definition, int basicsize, destructor dealloc);

template <class T>
PyTypeObject* create_class(ClassSpec definition) {
  return create_class(std::move(definition), sizeof(Instance<T>), &destroy_instance<T>);
}

// A type slot function: {Py_nb_add, slot<&binary<&add>>()}.
template <auto F>
void* slot() {
  return reinterpret_cast<void*>(F);
}

// A property: `getter<F>` and optionally `setter<"name", G>`.
inline PyGetSetDef property(const char* name, ::getter get, ::setter set = nullptr,
                            const char* doc = nullptr) {
  return {name, get, set, doc, nullptr};
}

// Sets class attributes (enumeration members); returns false with an error set.
bool set_class_attribute(PyTypeObject* type, const char* name, PyObject* owned_value);

}  // namespace kinetra::python

// Declares the exposed class of C++ type T (in a header all binding files see). type() reads
// the type object made on first use without a call: calls check their arguments' types with it.
#define KINETRA_DECLARE_CLASS(T, python_name)                                \
  template <>                                                                \
  struct kinetra::python::PyClass<T> {                                       \
    static constexpr const char* name = python_name;                         \
    static PyTypeObject* type() { return made_ ? made_ : make(); }           \
                                                                             \
   private:                                                                  \
    static PyTypeObject* make();                                             \
    static inline PyTypeObject* made_ = nullptr; /* set with the GIL held */ \
  }

// Defines its type object, made from `definition_function()` on first use and kept.
#define KINETRA_DEFINE_CLASS(T, definition_function)                                 \
  PyTypeObject* kinetra::python::PyClass<T>::make() {                                \
    static PyTypeObject* const type_object = create_class<T>(definition_function()); \
    made_ = type_object;                                                             \
    return type_object;                                                              \
  }
