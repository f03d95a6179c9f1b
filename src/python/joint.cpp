// Python classes JointModel and JointType, and the revolute joint constructors.
#include "python/classes.hpp"
#include "python/families.hpp"
#include "python/kit/enumeration.hpp"
#include "python/pickling.hpp"

namespace kinetra::python {
namespace {

std::optional<Vector3D> joint_model_axis(const JointModel& joint) {
  return joint.visit([](const auto& kind) -> std::optional<Vector3D> {
    if constexpr (requires { kind.axis; }) {
      return kind.axis;
    } else {
      return std::nullopt;
    }
  });
}

JointModel revolute_x() { return JointModel::revolute(Vector3D::UnitX()); }
JointModel revolute_y() { return JointModel::revolute(Vector3D::UnitY()); }
JointModel revolute_z() { return JointModel::revolute(Vector3D::UnitZ()); }

ClassSpec joint_model_spec() {
  return {
      .name = "JointModel",
      .doc = "A Python wrapper for the `JointWrapper` type.",
      .methods = with_copies<JointModel>(),
      .properties = {property("joint_type", &getter<&JointModel::type>),
                     property("nq", &getter<&JointModel::nq>),
                     property("nv", &getter<&JointModel::nv>),
                     property("axis", &getter<&joint_model_axis>, nullptr,
                              "The axis a revolute, continuous or prismatic joint turns about or "
                              "slides along, as given, a (3,) array in the joint frame; None for "
                              "other joints.")},
  };
}

}  // namespace
}  // namespace kinetra::python

KINETRA_DEFINE_CLASS(kinetra::JointModel, kinetra::python::joint_model_spec)
KINETRA_DEFINE_ENUM(kinetra::JointType, "Enum representing the type of joint.",
                    kinetra::joint_type_names)

bool kinetra::python::init_joint_model(ModuleBuilder& m) { return m.add_classes<JointModel>(); }

bool kinetra::python::init_joint_types(ModuleBuilder& m) {
  static PyMethodDef functions[] = {
      def<"JointModelRX", "()", &revolute_x>(
          "Creates a new revolute joint model with `x` as axis of rotation."),
      def<"JointModelRY", "()", &revolute_y>(
          "Creates a new revolute joint model with `y` as axis of rotation."),
      def<"JointModelRZ", "()", &revolute_z>(
          "Creates a new revolute joint model with `z` as axis of rotation.")};
  return m.add_classes<JointType>() && m.add_functions(functions);
}
