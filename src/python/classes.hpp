#pragma once

// Every C++ type exposed as a Python class, with its Python name.

#include "kinetra/geometry/geometry_data.hpp"
#include "kinetra/geometry/geometry_model.hpp"
#include "kinetra/geometry/geometry_object.hpp"
#include "kinetra/inertia/inertia.hpp"
#include "kinetra/joint/joint_model.hpp"
#include "kinetra/joint/joint_type.hpp"
#include "kinetra/model/data.hpp"
#include "kinetra/model/frame.hpp"
#include "kinetra/model/frame_type.hpp"
#include "kinetra/model/model.hpp"
#include "kinetra/spatial/configuration.hpp"
#include "kinetra/spatial/se3.hpp"
#include "kinetra/spatial/symmetric3.hpp"
#include "python/kit/class.hpp"
#include "vortan/capsule.hpp"
#include "vortan/cone.hpp"
#include "vortan/cuboid.hpp"
#include "vortan/cylinder.hpp"
#include "vortan/mesh.hpp"
#include "vortan/shape_wrapper.hpp"
#include "vortan/sphere.hpp"

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
KINETRA_DECLARE_CLASS(kinetra::Model, "Model");
KINETRA_DECLARE_CLASS(kinetra::Data, "Data");
KINETRA_DECLARE_CLASS(kinetra::Frame, "Frame");
KINETRA_DECLARE_CLASS(kinetra::FrameType, "FrameType");
KINETRA_DECLARE_CLASS(kinetra::JointModel, "JointModel");
KINETRA_DECLARE_CLASS(kinetra::JointType, "JointType");
KINETRA_DECLARE_CLASS(kinetra::GeometryModel, "GeometryModel");
KINETRA_DECLARE_CLASS(kinetra::GeometryData, "GeometryData");
KINETRA_DECLARE_CLASS(kinetra::GeometryObject, "GeometryObject");
KINETRA_DECLARE_CLASS(vortan::Capsule, "Capsule");
KINETRA_DECLARE_CLASS(vortan::Cone, "Cone");
KINETRA_DECLARE_CLASS(vortan::Cuboid, "Cuboid");
KINETRA_DECLARE_CLASS(vortan::Cylinder, "Cylinder");
KINETRA_DECLARE_CLASS(vortan::Sphere, "Sphere");
KINETRA_DECLARE_CLASS(vortan::Mesh, "PyMesh");
KINETRA_DECLARE_CLASS(vortan::ShapeWrapper, "Shape");
KINETRA_DECLARE_CLASS(vortan::ShapeType, "ShapeType");
