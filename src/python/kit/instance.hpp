#pragma once

#include <atomic>
#include <cstdint>
#include <new>
#include <utility>

#include "python/kit/error.hpp"

namespace kinetra::python {

// The Python object of a class holding one value of type T, with its borrow state:
// 0 free, n > 0 shared by n readers, -1 held by one writer. Borrows are taken and released with
// the GIL held (calls that drop it do so in between), so the GIL orders every change and a plain
// load and store make one; free-threaded builds have no such lock and change it atomically.
template <class T>
struct Instance {
  PyObject ob_base;
  std::atomic<std::int32_t> borrow;
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

// A new Python object of `type` holding `value`. Exposed classes are not collected by the cycle
// collector (see create_class), so their objects come from the plain object allocator.
template <class T, class V>
PyObject* new_instance_of(PyTypeObject* type, V&& value) {
  PyObject* obj = PyObject_New(PyObject, type);
  if (!obj) return nullptr;
  auto* inst = instance_of<T>(obj);
  new (&inst->borrow) std::atomic<std::int32_t>(0);
  try {
    new (&inst->value) T(std::forward<V>(value));
  } catch (...) {
    // no value to destroy: only the memory and the type's reference go back
    PyObject_Free(obj);
    if (PyType_HasFeature(type, Py_TPFLAGS_HEAPTYPE)) Py_DECREF(type);
    throw;
  }
  return obj;
}

// A new Python object holding `value`, moved or copied.
template <Exposed T>
PyObject* new_instance(T&& value) {
  PyTypeObject* type = PyClass<T>::type();
  if (!type) return nullptr;
  return new_instance_of<T>(type, std::move(value));
}
template <Exposed T>
PyObject* new_instance(const T& value) {
  PyTypeObject* type = PyClass<T>::type();
  if (!type) return nullptr;
  return new_instance_of<T>(type, value);
}

template <class T>
void destroy_instance(PyObject* obj) {
  PyTypeObject* type = Py_TYPE(obj);
  instance_of<T>(obj)->value.~T();
  type->tp_free(obj);
  Py_DECREF(type);
}

// true when a GIL serialises borrow changes (see Instance)
#ifdef Py_GIL_DISABLED
inline constexpr bool gil_orders_borrows = false;
#else
inline constexpr bool gil_orders_borrows = true;
#endif

// Shared access for the length of a call.
template <class T>
class SharedBorrow {
 public:
  SharedBorrow() = default;
  SharedBorrow(const SharedBorrow&) = delete;
  SharedBorrow& operator=(const SharedBorrow&) = delete;
  ~SharedBorrow() {
    if (!inst_) return;
    if constexpr (gil_orders_borrows) {
      inst_->borrow.store(inst_->borrow.load(std::memory_order_relaxed) - 1,
                          std::memory_order_relaxed);
    } else {
      inst_->borrow.fetch_sub(1, std::memory_order_release);
    }
  }
  bool acquire(PyObject* obj) {
    auto* inst = instance_of<T>(obj);
    std::int32_t readers = inst->borrow.load(std::memory_order_relaxed);
    if constexpr (gil_orders_borrows) {
      if (readers < 0) return refuse();
      inst->borrow.store(readers + 1, std::memory_order_relaxed);
    } else {
      do {
        if (readers < 0) return refuse();
      } while (!inst->borrow.compare_exchange_weak(readers, readers + 1, std::memory_order_acquire,
                                                   std::memory_order_relaxed));
    }
    inst_ = inst;
    return true;
  }
  const T& get() const { return inst_->value; }

 private:
  static bool refuse() { return raise(PyExc_RuntimeError, "Already mutably borrowed"), false; }

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
    if (inst_)
      inst_->borrow.store(
          0, gil_orders_borrows ? std::memory_order_relaxed : std::memory_order_release);
  }
  bool acquire(PyObject* obj) {
    auto* inst = instance_of<T>(obj);
    bool taken;
    if constexpr (gil_orders_borrows) {
      taken = inst->borrow.load(std::memory_order_relaxed) == 0;
      if (taken) inst->borrow.store(-1, std::memory_order_relaxed);
    } else {
      std::int32_t free = 0;
      taken = inst->borrow.compare_exchange_strong(free, -1, std::memory_order_acquire,
                                                   std::memory_order_relaxed);
    }
    if (!taken) return raise(PyExc_RuntimeError, "Already borrowed"), false;
    inst_ = inst;
    return true;
  }
  T& get() const { return inst_->value; }

 private:
  Instance<T>* inst_ = nullptr;
};

}  // namespace kinetra::python
