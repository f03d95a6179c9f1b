#pragma once

// Every C++ type exposed as a Python class, with its Python name.

#include "kinetra/inertia/inertia.hpp"
#include "kinetra/spatial/configuration.hpp"
#include "kinetra/spatial/se3.hpp"
#include "kinetra/spatial/symmetric3.hpp"
#include "python/kit/class.hpp"
#include "python/kit/registry.hpp"

namespace kinetra::python {

// Eigen values that Python sees as classes of their own (other Eigen values become arrays).
struct PyVector3D {
  Vector3D value;
};
struct PyVector6D {
  Vector6D value;
};
struct PyConfiguration {
  Configuration value;
};

}  // namespace kinetra::python

KINETRA_DECLARE_CLASS(kinetra::python::PyConfiguration, "Configuration");
KINETRA_DECLARE_CLASS(kinetra::python::PyVector3D, "Vector3D");
KINETRA_DECLARE_CLASS(kinetra::python::PyVector6D, "Vector6D");
KINETRA_DECLARE_CLASS(kinetra::SE3, "SE3");
KINETRA_DECLARE_CLASS(kinetra::Symmetric3, "Symmetric3");
KINETRA_DECLARE_CLASS(kinetra::Inertia, "Inertia");
