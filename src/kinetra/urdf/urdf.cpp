#include "kinetra/urdf/urdf.hpp"

#include <set>
#include <vector>

#include <pugixml.hpp>

#include "kinetra/urdf/attributes.hpp"
#include "kinetra/urdf/elements.hpp"
#include "kinetra/urdf/geometry.hpp"
#include "kinetra/urdf/link_graph.hpp"
#include "kinetra/urdf/read_file.hpp"
#include "kinetra/spatial/utf8.hpp"
#include "kinetra/urdf/xml_document.hpp"
#include "kinetra/urdf/xml_element.hpp"

namespace kinetra {

namespace {

// One element to handle: a link (hanging from the robot element or a joint) or a joint
// (hanging from a link).
struct WalkStep {
  pugi::xml_node element;
  pugi::xml_node parent;
  std::optional<std::string_view> parent_name;
  FrameType parent_named_type;  // the frame type the parent's type attribute names
  // the graph entry of a link's name, or of the link a joint's <child> names
  std::size_t links;
  std::size_t parent_joint;  // the joint that carries the element
  std::size_t parent_frame;  // the frame added for `parent` (not for root links)
  FrameType parent_frame_type;
  bool is_link;
  bool is_root;
};

FrameType frame_type_named_by(const pugi::xml_node& parent) {
  const std::string_view type = parent.attribute("type").value();
  if (type == "fixed") return FrameType::Fixed;
  if (type == "revolute" || type == "prismatic" || type == "continuous" || type == "floating" ||
      type == "planar") {
    return FrameType::Joint;
  }
  return FrameType::Body;
}

// What the walk needs of an added link or joint to place the elements hanging from it.
struct Added {
  std::string_view name;
  std::size_t joint;  // the joint that carries what hangs from it
  std::size_t frame;  // its Body, Fixed or Joint frame
  FrameType frame_type;
};

std::unexpected<ParseError> error(ParseError::Kind kind, std::string_view subject) {
  return std::unexpected(ParseError::of(kind, std::string(subject)));
}

// The model of a moving joint of this URDF type. Floating and planar joints have no limits (a
// <limit> is ignored); a planar joint's axis is its plane's normal, z without one.
std::expected<JointModel, ParseError> make_joint(std::string_view type, const pugi::xml_node& axis,
                                                 const pugi::xml_node& limit) {
  if (type == "floating") return JointModel::floating();
  if (type == "planar") {
    const auto normal = parse_axis(axis, Vector3D::UnitZ());
    if (!normal) return std::unexpected(normal.error());
    return JointModel::planar(*normal);
  }
  JointModel (*make)(const Vector3D&) = nullptr;
  if (type == "revolute") make = &JointModel::revolute;
  if (type == "prismatic") make = &JointModel::prismatic;
  if (type == "continuous") make = &JointModel::continuous;
  if (make == nullptr) return error(ParseError::Kind::UnknownJointType, type);
  const auto direction = type == "prismatic" ? parse_translation_axis(axis) : parse_axis(axis);
  if (!direction) return std::unexpected(direction.error());
  JointModel joint = make(*direction);
  if (auto limits = parse_limits(limit, joint); !limits) {
    return std::unexpected(std::move(limits.error()));
  }
  return joint;
}

// Builds the models from the links and joints reachable from the root links.
class Assembly {
 public:
  Assembly(const pugi::xml_node& robot, MaterialTable materials, const MeshLookup& meshes,
           bool mimic)
      : mimic_(mimic),
        robot_(robot),
        robot_name_(attribute(robot, "name")),
        materials_(std::move(materials)),
        meshes_(meshes),
        models_{Model(robot.attribute("name").value()), {}, {}} {}

  // Room in the models for all the walk adds: a joint per joint and per root joint at most, one
  // frame per link and per joint. Room never used is never touched.
  void reserve(const RobotChildren& robot, std::size_t root_joints) {
    const std::size_t joints = 1 + robot.joints.size() + root_joints;
    model().reserve(joints, joints + robot.links.size());
    models_.collision.objects.reserve(robot.collision_count);
    models_.visual.objects.reserve(robot.visual_count);
  }

  // Adds a joint from the world that carries a root link, and its frame.
  std::expected<Added, ParseError> add_root_joint(const JointModel& joint, std::string name) {
    const auto id = model().add_joint(0, joint, SE3::identity(), name);
    if (!id) return std::unexpected(ParseError::model_failure(id.error()));
    const auto frame = add_frame(
        Frame{std::move(name), *id, 0, SE3::identity(), FrameType::Joint, Inertia::zeros()}, true);
    if (!frame) return std::unexpected(frame.error());
    return Added{{}, *id, *frame, FrameType::Joint};
  }

  // Depth-first and pre-order: a link, then each of its joints by name, each followed at once
  // by the subtree of its child link. The root link hangs from `base`, else from the world.
  std::expected<void, ParseError> walk(const LinkGraph& graph, const LinkGraph::Root& root,
                                       const std::optional<Added>& base) {
    std::vector<WalkStep> pending{{root.link, robot_, robot_name_, frame_type_named_by(robot_),
                                   root.links, base ? base->joint : 0, base ? base->frame : 0,
                                   base ? base->frame_type : FrameType::Fixed, true, true}};
    while (!pending.empty()) {
      const WalkStep step = pending.back();
      pending.pop_back();
      if (step.is_link) {
        const auto added = add_link(step);
        if (!added) return std::unexpected(added.error());
        if (step.links == LinkGraph::none) continue;
        const auto joints = graph.joints_of(step.links);
        if (joints.empty()) continue;
        const FrameType named_type = frame_type_named_by(step.element);
        for (auto joint = joints.rbegin(); joint != joints.rend(); ++joint) {
          pending.push_back({joint->element, step.element, added->name, named_type, joint->child,
                             added->joint, added->frame, added->frame_type, false, false});
        }
      } else {
        const auto added = add_joint(step);
        if (!added) return std::unexpected(added.error());
        if (step.links == LinkGraph::none) continue;  // no <child>
        if (step.links == LinkGraph::unknown) {
          return error(ParseError::Kind::UnknownLinkName,
                       first_child(step.element, "child").attribute("link").value());
        }
        // a joint's frame has the type its type attribute names
        pending.push_back({graph.links[step.links].first, step.element, added->name,
                           added->frame_type, step.links, added->joint, added->frame,
                           added->frame_type, true, false});
      }
    }
    return {};
  }

  // Makes the joints read with a <mimic> follow the joints they name.
  std::expected<void, ParseError> apply_mimics() {
    std::vector<MimicJoint> mimics;
    for (const PendingMimic& m : mimics_) {
      const auto reference = model().get_joint_id(m.reference);
      if (!reference) {
        return error(ParseError::Kind::InvalidMimic,
                     MimicError{MimicError::Kind::UnknownJoint, model().joint_names()[m.joint],
                                std::string(m.reference)}
                         .display());
      }
      mimics.push_back({m.joint, *reference, m.multiplier, m.offset});
    }
    if (mimics.empty()) return {};
    if (auto set = model().set_mimic_joints(std::move(mimics)); !set) {
      return error(ParseError::Kind::InvalidMimic, set.error().display());
    }
    return {};
  }

  UrdfModels take() && {
    models_.collision.joint_parents = models_.visual.joint_parents = model().joint_parents();
    return std::move(models_);
  }

 private:
  Model& model() { return models_.model; }

  // The frame a link or joint is placed relative to: the world frame (or a root link's root
  // joint) when its parent element bears the robot's name, else the first frame named after the
  // parent whose type the parent's type attribute gives (Fixed, Joint, or Body when it has none).
  std::expected<std::size_t, ParseError> parent_frame(const WalkStep& step) const {
    const auto& parent_name = step.parent_name;
    if (!parent_name) return error(ParseError::Kind::MissingName, describe_element(step.parent));
    if (!robot_name_) return error(ParseError::Kind::MissingName, describe_element(robot_));
    if (*parent_name == *robot_name_) return step.is_root ? step.parent_frame : 0;
    const FrameType type = step.parent_named_type;
    // adding the parent's frame returned that first frame already
    if (!step.is_root && type == step.parent_frame_type) return step.parent_frame;
    const auto found = models_.model.get_frame_id(*parent_name, type);
    if (!found) return error(ParseError::Kind::UnknownParentFrame, *parent_name);
    return *found;
  }

  std::expected<std::size_t, ParseError> add_frame(Frame frame, bool append_inertia) {
    const auto id = model().add_frame(std::move(frame), append_inertia);
    if (!id) return std::unexpected(ParseError::model_failure(id.error()));
    return *id;
  }

  // Adds the link's Body frame, folds its inertia into its joint and adds its geometry.
  std::expected<Added, ParseError> add_link(const WalkStep& step) {
    const pugi::xml_node& link = step.element;
    const std::string_view name = link.attribute("name").value();
    const auto parent = parent_frame(step);
    if (!parent) return std::unexpected(parent.error());

    // the first inertial and origin, and every collision and visual, in one pass
    pugi::xml_node inertial_element, origin_element;
    collisions_.clear();
    visuals_.clear();
    for (pugi::xml_node child = link.first_child(); child; child = child.next_sibling()) {
      if (child.type() != pugi::node_element) continue;
      const std::string_view tag = local_name(child);
      if (tag == "collision") {
        collisions_.push_back(child);
      } else if (tag == "visual") {
        visuals_.push_back(child);
      } else if (tag == "inertial") {
        if (!inertial_element) inertial_element = child;
      } else if (tag == "origin") {
        if (!origin_element) origin_element = child;
      }
    }

    const auto inertia = parse_inertial(inertial_element, name);
    if (!inertia) return std::unexpected(inertia.error());

    // a child link's body is folded into its joint here; a root link's through its frame
    Inertia frame_inertia = *inertia;
    if (!step.is_root) {
      Frame& parent_frame = model().frame(*parent);
      // the frame of the parent joint is Fixed for a fixed joint
      if (step.parent_frame_type == FrameType::Fixed) {
        parent_frame.inertia += *inertia;
      }
      model().inertia(step.parent_joint) += inertia->act(parent_frame.placement);
      frame_inertia = Inertia::zeros();
    }

    const auto origin = parse_origin(origin_element);
    if (!origin) return std::unexpected(origin.error());
    const SE3 placement = model().frames()[*parent].placement * *origin;
    const auto body = add_frame(Frame{std::string(name), step.parent_joint, *parent, placement,
                                      FrameType::Body, frame_inertia},
                                true);
    if (!body) return std::unexpected(body.error());

    models_.collision.links.emplace_back(name, *body);
    models_.visual.links.emplace_back(name, *body);
    const GeometryAnchor anchor{step.parent_joint, *body, model().frames()[*body].placement};
    if (auto added = add_geometry(collisions_, name, anchor, false); !added) {
      return std::unexpected(std::move(added.error()));
    }
    if (auto added = add_geometry(visuals_, name, anchor, true); !added) {
      return std::unexpected(std::move(added.error()));
    }
    return Added{name, step.parent_joint, *body, FrameType::Body};
  }

  // One object per <collision> (or <visual>) element, named after the link and its position.
  std::expected<void, ParseError> add_geometry(const std::vector<pugi::xml_node>& elements,
                                               std::string_view name, const GeometryAnchor& anchor,
                                               bool is_visual) {
    GeometryModel& target = is_visual ? models_.visual : models_.collision;
    for (std::size_t i = 0; i < elements.size(); ++i) {
      std::string object_name = std::string(name) + "_" + std::to_string(i);
      auto object = parse_geometry(elements[i], std::move(object_name), anchor, is_visual,
                                   materials_, meshes_);
      if (!object) return std::unexpected(std::move(object.error()));
      target.add_geometry_object(std::move(*object));
    }
    return {};
  }

  // Adds the joint and its frame (only the frame for a fixed joint).
  std::expected<Added, ParseError> add_joint(const WalkStep& step) {
    const pugi::xml_node& joint = step.element;
    const auto [name, type] = attributes(joint, "name", "type");
    if (!name) return error(ParseError::Kind::MissingName, describe_element(joint));
    if (!type) return error(ParseError::Kind::MissingParameter, "type");
    const auto parent = parent_frame(step);
    if (!parent) return std::unexpected(parent.error());
    const auto [origin_element, axis, limit] = first_children(joint, "origin", "axis", "limit");
    const auto origin = parse_origin(origin_element);
    if (!origin) return std::unexpected(origin.error());
    const SE3 placement = model().frames()[*parent].placement * *origin;

    if (*type == "fixed") {
      const auto frame = add_frame(Frame{std::string(*name), step.parent_joint, *parent, placement,
                                         FrameType::Fixed, Inertia::zeros()},
                                   false);
      if (!frame) return std::unexpected(frame.error());
      return Added{*name, step.parent_joint, *frame, FrameType::Fixed};
    }

    auto joint_model = make_joint(*type, axis, limit);
    if (!joint_model) return std::unexpected(std::move(joint_model.error()));
    const auto id = model().add_joint(step.parent_joint, std::move(*joint_model), placement,
                                      std::string(*name));
    if (!id) return std::unexpected(ParseError::model_failure(id.error()));
    const auto frame = add_frame(Frame{std::string(*name), *id, *parent, SE3::identity(),
                                       FrameType::Joint, Inertia::zeros()},
                                 true);
    if (!frame) return std::unexpected(frame.error());
    if (mimic_) {
      if (auto read = read_mimic(joint, *id); !read) return std::unexpected(read.error());
    }
    return Added{*name, *id, *frame, FrameType::Joint};
  }

  // Notes the joint's <mimic joint multiplier offset>, if it has one (multiplier 1, offset 0
  // when absent).
  std::expected<void, ParseError> read_mimic(const pugi::xml_node& joint, std::size_t id) {
    const pugi::xml_node element = first_child(joint, "mimic");
    if (!element) return {};
    const auto reference = extract_text(element, "joint");
    if (!reference) return std::unexpected(reference.error());
    PendingMimic pending{id, *reference, 1.0, 0.0};
    for (auto [name, value] :
         {std::pair{"multiplier", &pending.multiplier}, std::pair{"offset", &pending.offset}}) {
      if (!element.attribute(name)) continue;
      const auto number = extract_double(element, name);
      if (!number) return std::unexpected(number.error());
      *value = *number;
    }
    mimics_.push_back(pending);
    return {};
  }

  // a <mimic> read, its reference joint still a name
  struct PendingMimic {
    std::size_t joint;
    std::string_view reference;
    double multiplier, offset;
  };
  bool mimic_;
  std::vector<PendingMimic> mimics_;
  pugi::xml_node robot_;
  std::optional<std::string_view> robot_name_;
  MaterialTable materials_;
  const MeshLookup& meshes_;
  UrdfModels models_;
  // the current link's geometry elements
  std::vector<pugi::xml_node> collisions_, visuals_;
};

// Names for `count` root joints: "root_joint", "root_joint_1", ..., none a joint of the
// description has.
std::vector<std::string> root_joint_names(const RobotChildren& robot, std::size_t count) {
  std::set<std::string_view, std::less<>> taken;
  for (const RobotChildren::Joint& joint : robot.joints) {
    taken.insert(joint.element.attribute("name").value());
  }
  std::vector<std::string> names;
  for (std::size_t k = 0; names.size() < count; ++k) {
    std::string name = k == 0 ? "root_joint" : "root_joint_" + std::to_string(k);
    if (!taken.contains(name)) names.push_back(std::move(name));
  }
  return names;
}

bool is_robot_element(const pugi::xml_node& node) {
  return node.type() == pugi::node_element && local_name(node) == "robot";
}

// Everything after reading: `xml` is valid UTF-8.
std::expected<UrdfModels, ParseError> build_models(std::string_view xml, const MeshLookup& meshes,
                                                   const std::optional<JointModel>& root_joint,
                                                   bool mimic) {
  pugi::xml_document document;
  if (auto loaded = load_xml_document(xml, document); !loaded) {
    return std::unexpected(std::move(loaded.error()));
  }
  const pugi::xml_node robot = document.find_node(is_robot_element);
  if (!robot) return std::unexpected(ParseError::of(ParseError::Kind::NoRobotTag));

  const RobotChildren children = scan_robot(robot);
  auto materials = parse_materials(children.materials);
  if (!materials) return std::unexpected(std::move(materials.error()));
  const auto graph = index_links(children);
  if (!graph) return std::unexpected(graph.error());

  const std::vector<std::string> root_names =
      root_joint ? root_joint_names(children, graph->roots.size()) : std::vector<std::string>{};
  Assembly assembly(robot, std::move(*materials), meshes, mimic);
  assembly.reserve(children, root_names.size());
  for (std::size_t i = 0; i < graph->roots.size(); ++i) {
    std::optional<Added> base;
    if (root_joint) {
      auto added = assembly.add_root_joint(*root_joint, root_names[i]);
      if (!added) return std::unexpected(std::move(added.error()));
      base = *added;
    }
    if (auto walked = assembly.walk(*graph, graph->roots[i], base); !walked) {
      return std::unexpected(std::move(walked.error()));
    }
  }
  if (auto applied = assembly.apply_mimics(); !applied) {
    return std::unexpected(std::move(applied.error()));
  }
  return std::move(assembly).take();
}

}  // namespace

std::expected<UrdfModels, ParseError> build_models_from_urdf_string(
    std::string_view xml, const MeshLookup& meshes, const std::optional<JointModel>& root_joint,
    bool mimic) {
  if (const auto pos = find_invalid_utf8(xml)) {
    // the position is counted over the valid prefix
    return std::unexpected(
        ParseError::of(ParseError::Kind::XmlError, "invalid UTF-8 at " + text_position(xml, *pos)));
  }
  return build_models(xml, meshes, root_joint, mimic);
}

std::expected<UrdfModels, ParseError> build_models_from_urdf(
    const std::string& filepath, const MeshLookup& meshes,
    const std::optional<JointModel>& root_joint, bool mimic) {
  const auto text = read_text_file(filepath);
  if (!text) return std::unexpected(text.error());
  return build_models(*text, meshes, root_joint, mimic);
}

std::expected<UrdfModels, ParseError> build_models_from_urdf_string(
    std::string_view xml, const std::optional<std::string>& package_dir) {
  return build_models_from_urdf_string(xml, MeshLookup{package_dir, {}, true, {}});
}

std::expected<UrdfModels, ParseError> build_models_from_urdf(
    const std::string& filepath, const std::optional<std::string>& package_dir) {
  return build_models_from_urdf(filepath, MeshLookup{package_dir, {}, true, {}});
}

}  // namespace kinetra
