#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "python/kit/arguments.hpp"
#include "python/kit/convert.hpp"

namespace kinetra::python {

// A string usable as a template argument: fastcall<"rnea", "(model, data, q, v, a)", &fn>.
template <std::size_t N>
struct FixedString {
  char text[N];
  constexpr FixedString(const char (&s)[N]) { std::copy_n(s, N, text); }
  constexpr const char* c_str() const { return text; }
};

template <class F>
struct Callable;
template <class R, class... P>
struct Callable<R (*)(P...)> {
  using Return = R;
  using Params = std::tuple<P...>;
  static constexpr std::size_t arity = sizeof...(P);
};

// Loads every argument in order (stopping at the first failure), calls f and converts its result.
template <auto F, std::size_t... I>
PyObject* invoke(PyObject** objects, const std::vector<std::string>& names,
                 std::index_sequence<I...>) {
  using C = Callable<decltype(F)>;
  try {
    std::tuple<ArgFor<std::tuple_element_t<I, typename C::Params>>...> holders;
    if (!(std::get<I>(holders).load(objects[I], names[I].c_str()) && ...)) return nullptr;
    if constexpr (std::is_void_v<typename C::Return>) {
      F(std::get<I>(holders).get()...);
      Py_RETURN_NONE;
    } else {
      return to_python(F(std::get<I>(holders).get()...));
    }
  } catch (...) {
    return raise_current_exception();
  }
}

// METH_FASTCALL | METH_KEYWORDS entry. For methods (signature "($self, ...)") the first C++
// parameter receives self; static methods and functions get only the Python arguments.
template <FixedString Name, FixedString TextSignature, auto F>
PyObject* fastcall(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static const Signature signature(Name.c_str(), TextSignature.c_str());
  constexpr bool method = TextSignature.text[1] == '$';
  constexpr std::size_t arity = Callable<decltype(F)>::arity;
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all = signature.parameters;
    if (method) all.insert(all.begin(), "self");
    return all;
  }();
  PyObject* objects[arity + 1] = {};
  if (!bind_arguments(signature, args, nargs, kwnames, objects + (method ? 1 : 0))) {
    return nullptr;
  }
  if constexpr (method) objects[0] = self;
  return invoke<F>(objects, names, std::make_index_sequence<arity>());
}

// Docstring in the "name(signature)\n--\n\ndoc" form behind __text_signature__.
const char* make_doc(const char* name, const char* text_signature, const char* doc);

inline const char* short_name(const char* qualified) {
  const char* dot = std::strrchr(qualified, '.');
  return dot ? dot + 1 : qualified;
}

// A PyMethodDef for a module function, method or static method.
template <FixedString Name, FixedString TextSignature, auto F>
PyMethodDef def(const char* doc = "", int extra_flags = 0) {
  const char* name = short_name(Name.c_str());
  return {name,
          reinterpret_cast<PyCFunction>(
              reinterpret_cast<void (*)()>(&fastcall<Name, TextSignature, F>)),
          METH_FASTCALL | METH_KEYWORDS | extra_flags, make_doc(name, TextSignature.c_str(), doc)};
}

template <FixedString Name, FixedString TextSignature, auto F>
PyMethodDef static_def(const char* doc = "") {
  return def<Name, TextSignature, F>(doc, METH_STATIC);
}

// tp_new calling F with the constructor's arguments; F returns the new value (or a Result).
template <FixedString Name, FixedString TextSignature, auto F>
PyObject* constructor(PyTypeObject*, PyObject* args, PyObject* kwargs) {
  // tp_new always receives a tuple of the positional arguments
  const Py_ssize_t nargs = PyTuple_GET_SIZE(args);
  std::vector<PyObject*> all(&PyTuple_GET_ITEM(args, 0), &PyTuple_GET_ITEM(args, 0) + nargs);
  Ref kwnames;
  if (kwargs && PyDict_GET_SIZE(kwargs) > 0) {
    kwnames = Ref(PyTuple_New(PyDict_GET_SIZE(kwargs)));
    if (!kwnames) return nullptr;
    Py_ssize_t pos = 0, k = 0;
    PyObject *key, *value;
    while (PyDict_Next(kwargs, &pos, &key, &value)) {
      Py_INCREF(key);
      PyTuple_SET_ITEM(kwnames.get(), k++, key);
      all.push_back(value);
    }
  }
  return fastcall<Name, TextSignature, F>(nullptr, all.data(), nargs, kwnames.get());
}

// tp_new of classes that Python cannot instantiate.
PyObject* no_constructor(PyTypeObject* type, PyObject*, PyObject*);

// Property getter: F(const T&) -> value.
template <auto F>
PyObject* getter(PyObject* self, void*) {
  PyObject* objects[1] = {self};
  static const std::vector<std::string> names = {"self"};
  return invoke<F>(objects, names, std::make_index_sequence<1>());
}

// Property setter: F(T&, value) with the value converted as parameter `Param`.
template <FixedString Param, auto F>
int setter(PyObject* self, PyObject* value, void*) {
  if (!value) return raise(PyExc_AttributeError, "can't delete attribute"), -1;
  PyObject* objects[2] = {self, value};
  static const std::vector<std::string> names = {"self", Param.c_str()};
  Ref result(invoke<F>(objects, names, std::make_index_sequence<2>()));
  return result ? 0 : -1;
}

// Binary operator slot: F(const T&, other). Foreign left operands and right operands that do
// not convert give NotImplemented.
template <auto F>
PyObject* binary(PyObject* left, PyObject* right) {
  using Self = std::remove_cvref_t<std::tuple_element_t<0, typename Callable<decltype(F)>::Params>>;
  using Other = std::tuple_element_t<1, typename Callable<decltype(F)>::Params>;
  if (Py_TYPE(left) != PyClass<Self>::type()) Py_RETURN_NOTIMPLEMENTED;
  ArgFor<Other> other;
  if (!try_load<Other>(other, right)) {
    if (PyErr_Occurred()) return nullptr;
    Py_RETURN_NOTIMPLEMENTED;
  }
  SharedBorrow<Self> self;
  if (!self.acquire(left)) return nullptr;
  try {
    return to_python(F(self.get(), other.get()));
  } catch (...) {
    return raise_current_exception();
  }
}

// Unary slot (repr, int): F(const T&).
template <auto F>
PyObject* unary(PyObject* self) {
  return getter<F>(self, nullptr);
}

}  // namespace kinetra::python
