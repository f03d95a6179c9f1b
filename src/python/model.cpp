// Python classes Model, Data, Frame and FrameType.
#include "python/classes.hpp"
#include "python/families.hpp"
#include "python/kit/enumeration.hpp"
#include "python/pickling.hpp"

namespace kinetra::python {
namespace {

// ---- Model

Model model_new() { return Model(); }

Result<std::size_t> model_add_joint(Model& m, std::size_t parent_id, const JointModel& joint_model,
                                    const SE3& placement, const std::string& name) {
  auto id = m.add_joint(parent_id, joint_model, placement, name);
  if (!id) return value_error(id.error().debug());
  return *id;
}

Result<std::size_t> model_add_frame(Model& m, const Frame& frame, bool append_inertia) {
  auto id = m.add_frame(frame, append_inertia);
  if (!id) return value_error(id.error().debug());
  return *id;
}

std::string model_repr(const Model& m) { return debug_value(m).pretty(); }

// None, or the FrameType to match.
PyObject* model_get_frame_id(const Model& m, const std::string& name, PyObject* frame_type) {
  if (!frame_type || frame_type == Py_None) return to_python(m.get_frame_id(name));
  ArgFor<const FrameType&> type;
  if (!type.load(frame_type, "frame_type")) return nullptr;
  return to_python(m.get_frame_id(name, type.get()));
}

Result<void> model_set_gravity(Model& m, const Array<1>& gravity) {
  if (gravity.dim(0) != 3) {
    return value_error("gravity: expected 3 finite numbers, got shape " + gravity.shape_text());
  }
  auto array = gravity.values();
  if (!array) return std::unexpected(array.error());
  const Eigen::VectorXd values = array->flatten();
  if (!values.allFinite()) {
    return value_error("gravity: expected 3 finite numbers, got a non-finite one");
  }
  m.set_gravity(values);
  return {};
}

// A refusal of new limits as a ValueError naming the attribute.
std::unexpected<PyError> limits_error(const LimitsError& error, const char* attribute) {
  return value_error(std::string(attribute) + ": " + error.display());
}
Result<void> limits_result(std::expected<void, LimitsError> set, const char* attribute) {
  if (!set) return limits_error(set.error(), attribute);
  return {};
}
// The values of new limits once their count is `expected`: a wrong count is never converted.
Result<FlatValues> limits_values(const Array<1>& values, std::size_t expected,
                                 const char* attribute) {
  const auto actual = static_cast<std::size_t>(values.dim(0));
  if (actual != expected) {
    return limits_error({LimitsError::Kind::WrongSize, expected, actual}, attribute);
  }
  auto array = values.values();
  if (!array) return std::unexpected(array.error());
  return FlatValues(*array);
}
// Sizes and limits as callers see them: without the entries of joints that mimic another.
std::size_t model_nq(const Model& m) { return m.reduced_coordinates().nq(m); }
std::size_t model_nv(const Model& m) { return m.reduced_coordinates().nv(m); }
Configuration model_lower_limits(const Model& m) {
  return m.reduced_coordinates().keep_configuration(m.lower_position_limits());
}
Configuration model_upper_limits(const Model& m) {
  return m.reduced_coordinates().keep_configuration(m.upper_position_limits());
}
Configuration model_velocity_limits(const Model& m) {
  return m.reduced_coordinates().keep_velocity(m.velocity_limits());
}
Configuration model_effort_limits(const Model& m) {
  return m.reduced_coordinates().keep_velocity(m.effort_limits());
}
std::vector<std::tuple<std::size_t, std::size_t, double, double>> model_mimic_joints(
    const Model& m) {
  std::vector<std::tuple<std::size_t, std::size_t, double, double>> out;
  for (const MimicJoint& j : m.reduced_coordinates().mimic_joints()) {
    out.emplace_back(j.joint, j.reference, j.multiplier, j.offset);
  }
  return out;
}
// The model's full limits with `values` in the entries callers see.
Configuration full_limits(const Model& m, Configuration full, const FlatValues& values,
                          bool per_velocity) {
  const ReducedCoordinates& reduced = m.reduced_coordinates();
  if (per_velocity) {
    reduced.place_kept_velocity(values.map(), full);
  } else {
    reduced.place_kept_configuration(values.map(), full);
  }
  return full;
}

Result<void> model_set_lower_limits(Model& m, const Array<1>& lower) {
  auto values = limits_values(lower, model_nq(m), "lower_position_limits");
  if (!values) return std::unexpected(values.error());
  return limits_result(
      m.set_position_limits(full_limits(m, m.lower_position_limits(), *values, false),
                            m.upper_position_limits()),
      "lower_position_limits");
}
Result<void> model_set_upper_limits(Model& m, const Array<1>& upper) {
  auto values = limits_values(upper, model_nq(m), "upper_position_limits");
  if (!values) return std::unexpected(values.error());
  return limits_result(
      m.set_position_limits(m.lower_position_limits(),
                            full_limits(m, m.upper_position_limits(), *values, false)),
      "upper_position_limits");
}
Result<void> model_set_velocity_limits(Model& m, const Array<1>& limits) {
  auto values = limits_values(limits, model_nv(m), "velocity_limits");
  if (!values) return std::unexpected(values.error());
  return limits_result(m.set_velocity_limits(full_limits(m, m.velocity_limits(), *values, true)),
                       "velocity_limits");
}
Result<void> model_set_effort_limits(Model& m, const Array<1>& limits) {
  auto values = limits_values(limits, model_nv(m), "effort_limits");
  if (!values) return std::unexpected(values.error());
  return limits_result(m.set_effort_limits(full_limits(m, m.effort_limits(), *values, true)),
                       "effort_limits");
}

ClassSpec model_spec() {
  return {
      .name = "Model",
      .text_signature = "()",
      .doc =
          "A [`Model`] is a data structure that contains the information about the robot "
          "model,\nincluding the joints models, placements, the link inertias, and the frames.",
      .constructor = constructor<"Model.__new__", "()", &model_new>,
      .methods = with_copies<Model>(
          {def<"Model.add_joint", "($self, parent_id, joint_model, placement, name)",
               &model_add_joint>(
               "Adds a joint to the model.\n\n# Arguments\n\n* `parent_id` - The identifier of "
               "the parent joint.\n* `joint_model` - The joint model to add.\n* `placement` - "
               "The placement of the joint in the parent frame.\n* `name` - The name of the "
               "joint."),
           def<"Model.add_frame", "($self, frame, append_inertia)", &model_add_frame>(),
           def<"Model.get_joint_id", "($self, name)", &Model::get_joint_id>(),
           def<"Model.get_frame_id", "($self, name, frame_type=None)", &model_get_frame_id>(
               "Index of the first frame named `name` (of `frame_type`, when given), or None."),
           def<"Model.create_data", "($self)", &Model::create_data>()}),
      .properties = {property("name", &getter<&Model::name>, &setter<"name", &Model::set_name>),
                     property("nq", &getter<&model_nq>), property("nv", &getter<&model_nv>),
                     property("njoints", &getter<&Model::njoints>),
                     property("nframes", &getter<&Model::nframes>),
                     property("gravity", &getter<&Model::gravity>,
                              &setter<"gravity", &model_set_gravity>),
                     property("lower_position_limits", &getter<&model_lower_limits>,
                              &setter<"lower_position_limits", &model_set_lower_limits>,
                              "Every joint's lower position bound in q order, an (nq,) array "
                              "(a copy: assign a whole array to change them)."),
                     property("upper_position_limits", &getter<&model_upper_limits>,
                              &setter<"upper_position_limits", &model_set_upper_limits>,
                              "Every joint's upper position bound in q order, an (nq,) array "
                              "(a copy: assign a whole array to change them)."),
                     property("velocity_limits", &getter<&model_velocity_limits>,
                              &setter<"velocity_limits", &model_set_velocity_limits>,
                              "Every joint's speed bound in v order, an (nv,) array (a copy: "
                              "assign a whole array to change them)."),
                     property("effort_limits", &getter<&model_effort_limits>,
                              &setter<"effort_limits", &model_set_effort_limits>,
                              "Every joint's effort bound in v order, an (nv,) array (a copy: "
                              "assign a whole array to change them)."),
                     property("joint_names", &getter<&Model::joint_names>),
                     property("joint_parents", &getter<&Model::joint_parents>),
                     property("joint_placements", &getter<&Model::joint_placements>),
                     property("joint_models", &getter<&Model::joint_models>),
                     property("inertias", &getter<&Model::inertias>),
                     property("frames", &getter<&Model::frames>),
                     property("mimic_joints", &getter<&model_mimic_joints>, nullptr,
                              "(mimicking joint id, reference joint id, multiplier, offset) of "
                              "each joint that follows another, in reading order (read-only).")},
      .slots = {{Py_tp_repr, slot<&unary<&model_repr>>()}},
  };
}

// ---- Data

// A workspace is made where it is used: pickling one is refused.
Result<Ref> data_reduce(const Data&) {
  return std::unexpected(PyError{PyExc_TypeError,
                                 "cannot pickle 'Data' object: make one from its model with "
                                 "model.create_data()"});
}

ClassSpec data_spec() {
  return {
      .name = "Data",
      .text_signature = "(model)",
      .doc = "A Python wrapper for the `Data` struct.",
      .constructor = constructor<"Data.__new__", "(model)", &Model::create_data>,
      .methods = with_copies<Data, false>({def<"__reduce__", "($self)", &data_reduce>()}),
      .properties = {property("joint_placements", &getter<&Data::joint_placements>, nullptr,
                              "Returns the placements of the joints in the world frame."),
                     property("oMi", &getter<&Data::joint_placements>, nullptr,
                              "Returns the placements of the joints in the world frame.\n\nThis "
                              "is an alias for `joint_placements`.")},
  };
}

// ---- Frame

Frame frame_new(const std::string& name, std::size_t parent_joint, std::size_t parent_frame,
                const SE3& placement, const FrameType& frame_type, const Inertia& inertia) {
  return {name, parent_joint, parent_frame, placement, frame_type, inertia};
}

std::string frame_repr(const Frame& f) { return frame_text(f); }

constexpr char frame_signature[] =
    "(name, parent_joint, parent_frame, placement, frame_type, inertia)";

ClassSpec frame_spec() {
  return {
      .name = "Frame",
      .text_signature = frame_signature,
      .constructor = constructor<"Frame.__new__", frame_signature, &frame_new>,
      .methods = with_copies<Frame>(),
      .properties = {property("name", &getter<&Frame::name>),
                     property("parent_joint", &getter<&Frame::parent_joint>),
                     property("parent_frame", &getter<&Frame::parent_frame>),
                     property("placement", &getter<&Frame::placement>),
                     property("frame_type", &getter<&Frame::frame_type>),
                     property("inertia", &getter<&Frame::inertia>)},
      .slots = {{Py_tp_repr, slot<&unary<&frame_repr>>()}},
  };
}

}  // namespace
}  // namespace kinetra::python

KINETRA_DEFINE_CLASS(kinetra::Model, kinetra::python::model_spec)
KINETRA_DEFINE_CLASS(kinetra::Data, kinetra::python::data_spec)
KINETRA_DEFINE_CLASS(kinetra::Frame, kinetra::python::frame_spec)
KINETRA_DEFINE_ENUM(kinetra::FrameType, "", kinetra::frame_type_names)

bool kinetra::python::init_model(ModuleBuilder& m) {
  return m.add_classes<Model, Data, Frame, FrameType>();
}
