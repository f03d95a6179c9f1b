// Python classes JointModel and JointType, and the revolute joint constructors.
#include "python/classes.hpp"
#include "python/kit/enumeration.hpp"
#include "python/pickling.hpp"

namespace kinetra::python {
namespace {

JointType joint_model_type(const JointModel& joint) { return joint.type(); }
std::size_t joint_model_nq(const JointModel& joint) { return joint.nq(); }
std::size_t joint_model_nv(const JointModel& joint) { return joint.nv(); }

JointModel revolute_x() { return JointModel::revolute(Vector3D::UnitX()); }
JointModel revolute_y() { return JointModel::revolute(Vector3D::UnitY()); }
JointModel revolute_z() { return JointModel::revolute(Vector3D::UnitZ()); }

ClassSpec joint_model_spec() {
  return {
      .name = "JointModel",
      .doc = "A Python wrapper for the `JointWrapper` type.",
      .methods = with_copies<JointModel>(),
      .properties = {property("joint_type", &getter<&joint_model_type>),
                     property("nq", &getter<&joint_model_nq>),
                     property("nv", &getter<&joint_model_nv>)},
  };
}

}  // namespace
}  // namespace kinetra::python

KINETRA_DEFINE_CLASS(kinetra::JointModel, kinetra::python::joint_model_spec)
KINETRA_DEFINE_ENUM(kinetra::JointType, "Enum representing the type of joint.",
                    kinetra::JointType::Continuous, kinetra::JointType::Fixed,
                    kinetra::JointType::Prismatic, kinetra::JointType::Revolute)

KINETRA_REGISTER_CLASS(kinetra::JointModel);
KINETRA_REGISTER_CLASS(kinetra::JointType);
KINETRA_REGISTER_FUNCTION(kinetra::python::def<"JointModelRX", "()", &kinetra::python::revolute_x>(
    "Creates a new revolute joint model with `x` as axis of rotation."));
KINETRA_REGISTER_FUNCTION(kinetra::python::def<"JointModelRY", "()", &kinetra::python::revolute_y>(
    "Creates a new revolute joint model with `y` as axis of rotation."));
KINETRA_REGISTER_FUNCTION(kinetra::python::def<"JointModelRZ", "()", &kinetra::python::revolute_z>(
    "Creates a new revolute joint model with `z` as axis of rotation."));
