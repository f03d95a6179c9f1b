#pragma once

#include <cstdint>
#include <new>
#include <utility>

#include "python/kit/error.hpp"

namespace kinetra::python {

// The Python object of a class holding one value of type T, with its borrow state:
// 0 free, n > 0 shared by n readers, -1 held by one writer.
template <class T>
struct Instance {
  PyObject ob_base;
  std::int32_t borrow;
  T value;
};

// Specialised once per exposed class (by PYTHON_CLASS below): the type object, made on first use.
template <class T>
struct PyClass;

template <class T>
concept Exposed = requires {
  PyClass<T>::type();
};

template <class T>
Instance<T>* instance_of(PyObject* obj) {
  return reinterpret_cast<Instance<T>*>(obj);
}

// A new Python object of `type` holding `value`.
template <class T>
PyObject* new_instance_of(PyTypeObject* type, T value) {
  PyObject* obj = type->tp_alloc(type, 0);
  if (!obj) return nullptr;
  auto* inst = instance_of<T>(obj);
  inst->borrow = 0;
  new (&inst->value) T(std::move(value));
  return obj;
}

// A new Python object holding `value`.
template <Exposed T>
PyObject* new_instance(T value) {
  PyTypeObject* type = PyClass<T>::type();
  if (!type) return nullptr;
  return new_instance_of<T>(type, std::move(value));
}

template <class T>
void destroy_instance(PyObject* obj) {
  PyTypeObject* type = Py_TYPE(obj);
  instance_of<T>(obj)->value.~T();
  type->tp_free(obj);
  Py_DECREF(type);
}

// Shared access for the length of a call.
template <class T>
class SharedBorrow {
 public:
  SharedBorrow() = default;
  SharedBorrow(const SharedBorrow&) = delete;
  SharedBorrow& operator=(const SharedBorrow&) = delete;
  ~SharedBorrow() {
    if (inst_) --inst_->borrow;
  }
  bool acquire(PyObject* obj) {
    auto* inst = instance_of<T>(obj);
    if (inst->borrow < 0) return raise(PyExc_RuntimeError, "Already mutably borrowed"), false;
    ++inst->borrow;
    inst_ = inst;
    return true;
  }
  const T& get() const { return inst_->value; }

 private:
  Instance<T>* inst_ = nullptr;
};

// Exclusive access for the length of a call.
template <class T>
class ExclusiveBorrow {
 public:
  ExclusiveBorrow() = default;
  ExclusiveBorrow(const ExclusiveBorrow&) = delete;
  ExclusiveBorrow& operator=(const ExclusiveBorrow&) = delete;
  ~ExclusiveBorrow() {
    if (inst_) inst_->borrow = 0;
  }
  bool acquire(PyObject* obj) {
    auto* inst = instance_of<T>(obj);
    if (inst->borrow != 0) return raise(PyExc_RuntimeError, "Already borrowed"), false;
    inst->borrow = -1;
    inst_ = inst;
    return true;
  }
  T& get() const { return inst_->value; }

 private:
  Instance<T>* inst_ = nullptr;
};

}  // namespace kinetra::python
