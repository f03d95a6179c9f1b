// Python classes Model, Frame and FrameType.
#include "python/classes.hpp"
#include "python/kit/enumeration.hpp"
#include "python/pickling.hpp"

namespace kinetra::python {
namespace {

// ---- Model

Model model_new() { return Model(); }

const std::string& model_name(const Model& m) { return m.name(); }
void model_set_name(Model& m, const std::string& name) { m.set_name(name); }
std::size_t model_nq(const Model& m) { return m.nq(); }
std::size_t model_nv(const Model& m) { return m.nv(); }
std::size_t model_njoints(const Model& m) { return m.njoints(); }
std::size_t model_nframes(const Model& m) { return m.nframes(); }
Ref model_gravity(const Model& m) { return Ref(to_numpy(m.gravity())); }
const std::vector<std::string>& model_joint_names(const Model& m) { return m.joint_names(); }
const std::vector<std::size_t>& model_joint_parents(const Model& m) { return m.joint_parents(); }
const std::vector<SE3>& model_joint_placements(const Model& m) { return m.joint_placements(); }
const std::vector<JointModel>& model_joint_models(const Model& m) { return m.joint_models(); }
const std::vector<Inertia>& model_inertias(const Model& m) { return m.inertias(); }
const std::vector<Frame>& model_frames(const Model& m) { return m.frames(); }

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

std::optional<std::size_t> model_get_joint_id(const Model& m, const std::string& name) {
  return m.get_joint_id(name);
}

Data model_create_data(const Model& m) { return m.create_data(); }

std::string model_repr(const Model& m) { return debug_value(m).pretty(); }

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
           def<"Model.get_joint_id", "($self, name)", &model_get_joint_id>(),
           def<"Model.create_data", "($self)", &model_create_data>()}),
      .properties = {property("name", &getter<&model_name>, &setter<"name", &model_set_name>),
                     property("nq", &getter<&model_nq>), property("nv", &getter<&model_nv>),
                     property("njoints", &getter<&model_njoints>),
                     property("nframes", &getter<&model_nframes>),
                     property("gravity", &getter<&model_gravity>),
                     property("joint_names", &getter<&model_joint_names>),
                     property("joint_parents", &getter<&model_joint_parents>),
                     property("joint_placements", &getter<&model_joint_placements>),
                     property("joint_models", &getter<&model_joint_models>),
                     property("inertias", &getter<&model_inertias>),
                     property("frames", &getter<&model_frames>)},
      .slots = {{Py_tp_repr, slot<&unary<&model_repr>>()}},
  };
}

// ---- Frame

Frame frame_new(const std::string& name, std::size_t parent_joint, std::size_t parent_frame,
                const SE3& placement, const FrameType& frame_type, const Inertia& inertia) {
  return {name, parent_joint, parent_frame, placement, frame_type, inertia};
}

const std::string& frame_name(const Frame& f) { return f.name; }
std::size_t frame_parent_joint(const Frame& f) { return f.parent_joint; }
std::size_t frame_parent_frame(const Frame& f) { return f.parent_frame; }
const SE3& frame_placement(const Frame& f) { return f.placement; }
FrameType frame_frame_type(const Frame& f) { return f.frame_type; }
const Inertia& frame_inertia(const Frame& f) { return f.inertia; }
std::string frame_repr(const Frame& f) { return frame_text(f); }

constexpr char frame_signature[] =
    "(name, parent_joint, parent_frame, placement, frame_type, inertia)";

ClassSpec frame_spec() {
  return {
      .name = "Frame",
      .text_signature = frame_signature,
      .constructor = constructor<"Frame.__new__", frame_signature, &frame_new>,
      .methods = with_copies<Frame>(),
      .properties = {property("name", &getter<&frame_name>),
                     property("parent_joint", &getter<&frame_parent_joint>),
                     property("parent_frame", &getter<&frame_parent_frame>),
                     property("placement", &getter<&frame_placement>),
                     property("frame_type", &getter<&frame_frame_type>),
                     property("inertia", &getter<&frame_inertia>)},
      .slots = {{Py_tp_repr, slot<&unary<&frame_repr>>()}},
  };
}

}  // namespace
}  // namespace kinetra::python

KINETRA_DEFINE_CLASS(kinetra::Model, kinetra::python::model_spec)
KINETRA_DEFINE_CLASS(kinetra::Frame, kinetra::python::frame_spec)
KINETRA_DEFINE_ENUM(kinetra::FrameType, "", kinetra::FrameType::Operational,
                    kinetra::FrameType::Joint, kinetra::FrameType::Fixed, kinetra::FrameType::Body,
                    kinetra::FrameType::Sensor)

KINETRA_REGISTER_CLASS(kinetra::Model);
KINETRA_REGISTER_CLASS(kinetra::Frame);
KINETRA_REGISTER_CLASS(kinetra::FrameType);
