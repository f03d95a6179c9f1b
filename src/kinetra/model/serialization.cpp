#include "kinetra/model/serialization.hpp"

#include <cmath>
#include <string_view>

namespace kinetra {

namespace {

// A rotation axis or plane normal: finite and not zero. A refused one reads as z, so that the
// joint made from it before the failure is noticed is a valid one.
Vector3D direction(BinaryReader& r) {
  const Vector3D axis = r.fixed<Vector3D>();
  if (axis.allFinite() && (axis.array() != 0.0).any()) return axis;
  r.fail("a rotation axis or plane normal that is zero or not finite");
  return Vector3D::UnitZ();
}

// How each joint kind is rebuilt from its own fields; the fields are written generically.
struct JointKind {
  JointType type;
  JointModel (*read)(BinaryReader&);
};

const JointKind joint_kinds[] = {
    {JointType::Revolute, [](BinaryReader& r) { return JointModel::revolute(direction(r)); }},
    {JointType::Continuous, [](BinaryReader& r) { return JointModel::continuous(direction(r)); }},
    {JointType::Prismatic,
     [](BinaryReader& r) {
       const Vector3D axis = r.fixed<Vector3D>();
       if (PrismaticJoint::usable_axis(axis)) return JointModel::prismatic(axis);
       r.fail("a translation axis whose norm is zero, subnormal or not finite");
       return JointModel::prismatic(Vector3D::UnitZ());
     }},
    {JointType::Fixed, [](BinaryReader&) { return JointModel::fixed(); }},
    {JointType::Floating, [](BinaryReader&) { return JointModel::floating(); }},
    {JointType::Spherical, [](BinaryReader&) { return JointModel::spherical(); }},
    {JointType::Planar, [](BinaryReader& r) { return JointModel::planar(direction(r)); }},
};

constexpr FrameType frame_types[] = {FrameType::Operational, FrameType::Joint, FrameType::Fixed,
                                     FrameType::Body, FrameType::Sensor};

// A limit vector, which must hold `size` values (one per velocity or position coordinate).
Configuration limit(BinaryReader& r, std::size_t size) {
  Configuration values = r.vector();
  if (r.ok() && static_cast<std::size_t>(values.size()) != size) {
    r.fail("a joint limit of " + std::to_string(values.size()) + " values for " +
           std::to_string(size) + " coordinates");
  }
  return values;
}

}  // namespace

void BinaryForm<Inertia>::write(BinaryWriter& w, const Inertia& value) {
  w.f64(value.mass);
  w.fixed(value.com);
  w.symmetric3(value.inertia);
}

std::optional<Inertia> BinaryForm<Inertia>::read(BinaryReader& r) {
  Inertia value;
  value.mass = r.f64();
  value.com = r.fixed<Vector3D>();
  value.inertia = r.symmetric3();
  return value;
}

void BinaryForm<JointModel>::write(BinaryWriter& w, const JointModel& value) {
  w.string(to_string(value.type()));
  // the kind's own vector as it was given: an axis or a plane normal
  value.visit([&](const auto& joint) {
    if constexpr (requires { joint.axis; }) w.fixed(joint.axis);
    if constexpr (requires { joint.normal; }) w.fixed(joint.normal);
  });
  const JointLimits& limits = value.limits();
  for (const Configuration* v : {&limits.max_effort, &limits.max_velocity,
                                 &limits.min_configuration, &limits.max_configuration}) {
    w.vector(*v);
  }
}

std::optional<JointModel> BinaryForm<JointModel>::read(BinaryReader& r) {
  const std::string name = r.string();
  for (const JointKind& kind : joint_kinds) {
    if (name != to_string(kind.type)) continue;
    JointModel joint = kind.read(r);
    JointLimits& limits = joint.limits();
    limits.max_effort = limit(r, joint.nv());
    limits.max_velocity = limit(r, joint.nv());
    limits.min_configuration = limit(r, joint.nq());
    limits.max_configuration = limit(r, joint.nq());
    if (!r.ok()) return std::nullopt;
    if (first_negative_or_nan(limits.max_effort) || first_negative_or_nan(limits.max_velocity)) {
      r.fail("a negative or NaN speed or effort limit");
    } else if (first_bound_out_of_order(limits.min_configuration, limits.max_configuration)) {
      r.fail("a lower position limit above the upper one, or a NaN one");
    }
    if (!r.ok()) return std::nullopt;
    return joint;
  }
  r.fail("unknown joint kind '" + name + "'");
  return std::nullopt;
}

void BinaryForm<Frame>::write(BinaryWriter& w, const Frame& value) {
  w.string(value.name);
  w.u64(value.parent_joint);
  w.u64(value.parent_frame);
  w.se3(value.placement);
  w.string(to_string(value.frame_type));
  BinaryForm<Inertia>::write(w, value.inertia);
}

std::optional<Frame> BinaryForm<Frame>::read(BinaryReader& r) {
  Frame frame;
  frame.name = r.string();
  frame.parent_joint = r.u64();
  frame.parent_frame = r.u64();
  frame.placement = r.se3();
  const std::string type = r.string();
  frame.inertia = *BinaryForm<Inertia>::read(r);
  for (FrameType t : frame_types) {
    if (type == to_string(t)) {
      frame.frame_type = t;
      return frame;
    }
  }
  r.fail("unknown frame type '" + type + "'");
  return std::nullopt;
}

void BinaryForm<Model>::write(BinaryWriter& w, const Model& value) {
  w.string(value.name());
  w.fixed(value.gravity());
  w.u64(value.njoints());
  for (std::size_t j = 0; j < value.njoints(); ++j) {
    if (j > 0) {
      w.string(value.joint_names()[j]);
      w.u64(value.joint_parents()[j]);
      BinaryForm<JointModel>::write(w, value.joint_models()[j]);
      w.se3(value.joint_placements()[j]);
    }
    BinaryForm<Inertia>::write(w, value.inertias()[j]);
  }
  w.u64(value.nframes());
  for (const Frame& frame : value.frames()) BinaryForm<Frame>::write(w, frame);
  // mimic joints, only when there are any: payloads without them read as before
  const auto& mimics = value.reduced_coordinates().mimic_joints();
  if (mimics.empty()) return;
  w.u64(mimics.size());
  for (const MimicJoint& m : mimics) {
    w.u64(m.joint);
    w.u64(m.reference);
    w.f64(m.multiplier);
    w.f64(m.offset);
  }
}

std::optional<Model> BinaryForm<Model>::read(BinaryReader& r) {
  Model model(r.string());
  const Vector3D gravity = r.fixed<Vector3D>();
  if (gravity.allFinite()) {
    model.set_gravity(gravity);
  } else {
    r.fail("a gravity that is not finite");
  }
  // every joint takes more than a byte, which bounds the count before reserving
  const std::size_t njoints = r.count(1);
  if (njoints == 0) r.fail("no world joint");
  for (std::size_t j = 0; j < njoints && r.ok(); ++j) {
    if (j > 0) {
      std::string name = r.string();
      const std::size_t parent = r.u64();
      std::optional<JointModel> joint = BinaryForm<JointModel>::read(r);
      const SE3 placement = r.se3();
      if (!r.ok()) break;
      auto id = model.add_joint(parent, std::move(*joint), placement, std::move(name));
      if (!id) r.fail("joint " + std::to_string(j) + ": " + id.error().debug());
    }
    const Inertia inertia = *BinaryForm<Inertia>::read(r);
    if (r.ok()) model.inertia(j) = inertia;
  }
  const std::size_t nframes = r.count(1);
  if (r.ok() && nframes == 0) r.fail("no world frame");
  for (std::size_t f = 0; f < nframes && r.ok(); ++f) {
    std::optional<Frame> frame = BinaryForm<Frame>::read(r);
    if (!r.ok()) break;
    if (f == 0) {
      // the world frame keeps its name and type; the rest of it may differ
      const Frame& world = model.frames()[0];
      if (frame->name != world.name || frame->frame_type != world.frame_type ||
          frame->parent_joint != 0) {
        r.fail("frame 0 is not the world frame");
      } else {
        model.frame(0) = std::move(*frame);
      }
      continue;
    }
    auto id = model.add_frame(std::move(*frame), false);
    if (!id) {
      r.fail("frame " + std::to_string(f) + ": " + id.error().debug());
    } else if (*id != f) {
      r.fail("frame " + std::to_string(f) + " repeats frame " + std::to_string(*id));
    }
  }
  // the mimic section: a count, then 32 bytes a joint; other trailing bytes stay unread
  if (r.ok() && r.remaining() >= 8 && (r.remaining() - 8) % 32 == 0) {
    std::vector<MimicJoint> mimics(r.count(32));
    for (MimicJoint& m : mimics) m = {r.u64(), r.u64(), r.f64(), r.f64()};
    if (r.ok()) {
      if (auto set = model.set_mimic_joints(std::move(mimics)); !set) {
        r.fail("mimic joints: " + set.error().display());
      }
    }
  }
  if (!r.ok()) return std::nullopt;
  return model;
}

}  // namespace kinetra
