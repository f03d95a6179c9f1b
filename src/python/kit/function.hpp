#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "python/kit/arguments.hpp"
#include "python/kit/convert.hpp"
#include "python/kit/signature.hpp"

namespace kinetra::python {

// What a bound callable takes and returns: a function, a member function (the object first) or
// a data member (read from a const object).
template <class F>
struct Callable;
template <class R, class... P>
struct Callable<R (*)(P...)> {
  using Return = R;
  using Params = std::tuple<P...>;
  static constexpr std::size_t arity = sizeof...(P);
};
template <class R, class T, class... P>
struct Callable<R (T::*)(P...) const> {
  using Return = R;
  using Params = std::tuple<const T&, P...>;
  static constexpr std::size_t arity = 1 + sizeof...(P);
};
template <class R, class T, class... P>
struct Callable<R (T::*)(P...)> {
  using Return = R;
  using Params = std::tuple<T&, P...>;
  static constexpr std::size_t arity = 1 + sizeof...(P);
};
template <class M, class T>
requires(!std::is_function_v<M>) struct Callable<M T::*> {
  using Return = const M&;
  using Params = std::tuple<const T&>;
  static constexpr std::size_t arity = 1;
};

// How a bound callable runs.
struct CallOptions {
  // Runs the C++ function without the GIL, so that other Python threads run meanwhile. The
  // arguments are converted and borrowed before, the result converted after, with the GIL held;
  // the function must neither take nor return Python objects.
  bool release_gil = false;
};
inline constexpr CallOptions release_gil{.release_gil = true};

// true for the types that need the GIL to be made or dropped
template <class T>
inline constexpr bool holds_python_object = std::is_same_v<T, PyObject*> || std::is_same_v<T, Ref>;
template <class T>
inline constexpr bool holds_python_object<Result<T>> = holds_python_object<T>;

// Releases the GIL for its lifetime.
class WithoutGil {
 public:
  WithoutGil() : state_(PyEval_SaveThread()) {}
  WithoutGil(const WithoutGil&) = delete;
  WithoutGil& operator=(const WithoutGil&) = delete;
  ~WithoutGil() { PyEval_RestoreThread(state_); }

 private:
  PyThreadState* state_;
};

template <auto F, CallOptions Options, class... A>
decltype(auto) call(A&&... arguments) {
  if constexpr (Options.release_gil) {
    using C = Callable<decltype(F)>;
    static_assert(!holds_python_object<std::remove_cvref_t<typename C::Return>>,
                  "a function returning a Python object cannot run without the GIL");
    static_assert(!(holds_python_object<std::remove_cvref_t<A>> || ...),
                  "a function taking a Python object cannot run without the GIL");
    WithoutGil unlocked;
    return std::invoke(F, std::forward<A>(arguments)...);
  } else {
    return std::invoke(F, std::forward<A>(arguments)...);
  }
}

// Loads every argument in order (stopping at the first failure), calls f and converts its result.
template <auto F, CallOptions Options, std::size_t... I>
PyObject* invoke(PyObject* const* objects, const char* const* names, std::index_sequence<I...>) {
  using C = Callable<decltype(F)>;
  try {
    std::tuple<ArgFor<std::tuple_element_t<I, typename C::Params>>...> holders;
    if (!(std::get<I>(holders).load(objects[I], names[I]) && ...)) return nullptr;
    if constexpr (std::is_void_v<typename C::Return>) {
      call<F, Options>(std::get<I>(holders).get()...);
      Py_RETURN_NONE;
    } else {
      return to_python(call<F, Options>(std::get<I>(holders).get()...));
    }
  } catch (...) {
    return raise_current_exception();
  }
}

// Fails to compile, naming the callable, when its text signature and C++ function disagree.
template <FixedString Name, std::size_t SignatureParameters, std::size_t FunctionParameters>
constexpr bool signature_matches_function() {
  static_assert(SignatureParameters == FunctionParameters,
                "the text signature (with $self) and the C++ function differ in parameter count");
  return true;
}

// METH_FASTCALL | METH_KEYWORDS entry. For methods (signature "($self, ...)") the first C++
// parameter receives self; static methods and functions get only the Python arguments.
template <FixedString Name, FixedString Text, auto F, CallOptions Options = CallOptions{}>
PyObject* fastcall(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  using S = TextSignature<Text>;
  constexpr std::size_t arity = Callable<decltype(F)>::arity;
  static_assert(signature_matches_function<Name, S::size + S::method, arity>());
  static constexpr Parameters parameters{Name.c_str(), S::parameter_names.data(), S::size,
                                         S::required, S::positional};
  constexpr auto sequence = std::make_index_sequence<arity>();
  PyObject* objects[S::size + S::method + 1];  // one spare: no arrays of size zero
  if constexpr (S::method) objects[0] = self;
  if (!kwnames && nargs == static_cast<Py_ssize_t>(S::size) && S::positional == S::size) {
    // every parameter given by position: the arguments bind as they are
    if constexpr (!S::method) return invoke<F, Options>(args, S::argument_names.data(), sequence);
    std::copy_n(args, S::size, objects + 1);
  } else if (!bind_arguments(parameters, args, nargs, kwnames, objects + S::method)) {
    return nullptr;
  }
  return invoke<F, Options>(objects, S::argument_names.data(), sequence);
}

// Docstring in the "name(signature)\n--\n\ndoc" form behind __text_signature__.
const char* make_doc(const char* name, const char* text_signature, const char* doc);

inline const char* short_name(const char* qualified) {
  const char* dot = std::strrchr(qualified, '.');
  return dot ? dot + 1 : qualified;
}

// A PyMethodDef for a module function, method or static method.
template <FixedString Name, FixedString Text, auto F, CallOptions Options = CallOptions{}>
PyMethodDef def(const char* doc = "", int extra_flags = 0) {
  const char* name = short_name(Name.c_str());
  return {name,
          reinterpret_cast<PyCFunction>(
              reinterpret_cast<void (*)()>(&fastcall<Name, Text, F, Options>)),
          METH_FASTCALL | METH_KEYWORDS | extra_flags, make_doc(name, Text.c_str(), doc)};
}

template <FixedString Name, FixedString Text, auto F>
PyMethodDef static_def(const char* doc = "") {
  return def<Name, Text, F>(doc, METH_STATIC);
}

// tp_new calling F with the constructor's arguments; F returns the new value (or a Result).
template <FixedString Name, FixedString Text, auto F>
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
  return fastcall<Name, Text, F>(nullptr, all.data(), nargs, kwnames.get());
}

// tp_new of classes that Python cannot instantiate.
PyObject* no_constructor(PyTypeObject* type, PyObject*, PyObject*);

// Property getter: F(const T&) -> value, or the data member F of T.
template <auto F>
PyObject* getter(PyObject* self, void*) {
  static constexpr const char* names[] = {"self"};
  return invoke<F, CallOptions{}>(&self, names, std::make_index_sequence<1>());
}

// Property setter: F(T&, value) (or T's member function F(value)) with the value converted as
// parameter `Param`.
template <FixedString Param, auto F>
int setter(PyObject* self, PyObject* value, void*) {
  if (!value) return raise(PyExc_AttributeError, "can't delete attribute"), -1;
  PyObject* objects[2] = {self, value};
  static constexpr const char* names[] = {"self", Param.c_str()};
  Ref result(invoke<F, CallOptions{}>(objects, names, std::make_index_sequence<2>()));
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
    return to_python(std::invoke(F, self.get(), other.get()));
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
