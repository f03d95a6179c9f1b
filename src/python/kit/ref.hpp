#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <utility>

namespace kinetra::python {

// An owned (strong) reference.
class Ref {
 public:
  Ref() = default;
  explicit Ref(PyObject* owned) : ptr_(owned) {}
  Ref(const Ref& other) : ptr_(other.ptr_) { Py_XINCREF(ptr_); }
  Ref(Ref&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~Ref() { Py_XDECREF(ptr_); }

  PyObject* get() const { return ptr_; }
  PyObject* release() { return std::exchange(ptr_, nullptr); }
  explicit operator bool() const { return ptr_ != nullptr; }

 private:
  PyObject* ptr_ = nullptr;
};

}  // namespace kinetra::python
