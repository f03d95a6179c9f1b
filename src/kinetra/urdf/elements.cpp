#include "kinetra/urdf/elements.hpp"

#include "kinetra/spatial/rotation.hpp"
#include "kinetra/urdf/attributes.hpp"
#include "kinetra/urdf/number_text.hpp"
#include "kinetra/urdf/xml_element.hpp"

namespace kinetra {

namespace {

SpatialRotation rotation_from_rpy(const Vector3D& rpy) {
  return rotation_from_euler_angles(rpy.x(), rpy.y(), rpy.z());
}

}  // namespace

std::expected<SE3, ParseError> parse_origin(const pugi::xml_node& element) {
  const pugi::xml_node origin = first_child(element, "origin");
  if (!origin) return SE3::identity();
  SE3 placement;
  if (attribute(origin, "xyz")) {
    const auto xyz = extract_vector3(origin, "xyz");
    if (!xyz) return std::unexpected(xyz.error());
    placement.translation = *xyz;
  }
  if (attribute(origin, "rpy")) {
    const auto rpy = extract_vector3(origin, "rpy");
    if (!rpy) return std::unexpected(rpy.error());
    placement.rotation = rotation_from_rpy(*rpy);
  }
  return placement;
}

std::expected<Vector3D, ParseError> parse_axis(const pugi::xml_node& joint) {
  const pugi::xml_node axis = first_child(joint, "axis");
  if (!axis) return Vector3D::UnitX();
  const auto xyz = extract_vector3(axis, "xyz");
  if (!xyz) return xyz;
  if (!xyz->allFinite() || !(xyz->squaredNorm() > 0.0)) {
    return std::unexpected(ParseError::of(ParseError::Kind::InvalidParameter, "xyz"));
  }
  return xyz;
}

std::expected<Inertia, ParseError> parse_inertial(const pugi::xml_node& link,
                                                  std::string_view link_name) {
  const pugi::xml_node inertial = first_child(link, "inertial");
  if (!inertial) return Inertia::zeros();

  const pugi::xml_node mass = first_child(inertial, "mass");
  if (!mass) {
    return std::unexpected(
        ParseError::of(ParseError::Kind::MissingMassData, std::string(link_name)));
  }
  const auto mass_value = extract_double(mass, "value");
  if (!mass_value) return std::unexpected(mass_value.error());

  const pugi::xml_node tensor = first_child(inertial, "inertia");
  if (!tensor) {
    return std::unexpected(
        ParseError::of(ParseError::Kind::MissingInertiaData, std::string(link_name)));
  }
  // file order ixx, ixy, ixz, iyy, iyz, izz; stored as xx, yy, zz, xy, xz, yz
  static constexpr const char* names[] = {"ixx", "ixy", "ixz", "iyy", "iyz", "izz"};
  static constexpr std::size_t slots[] = {0, 3, 4, 1, 5, 2};
  Symmetric3 about_com;
  for (std::size_t i = 0; i < 6; ++i) {
    const auto value = extract_double(tensor, names[i]);
    if (!value) return std::unexpected(value.error());
    about_com.data[slots[i]] = *value;
  }

  Vector3D com = Vector3D::Zero(), rpy = Vector3D::Zero();
  if (const pugi::xml_node origin = first_child(inertial, "origin")) {
    rpy = extract_vector3(origin, "rpy").value_or(Vector3D::Zero());
    com = extract_vector3(origin, "xyz").value_or(Vector3D::Zero());
  }
  return Inertia{*mass_value, com, about_com.rotate(rotation_from_rpy(rpy))};
}

std::expected<void, ParseError> parse_limits(const pugi::xml_node& joint_element,
                                             JointModel& joint) {
  const bool continuous = joint.type() == JointType::Continuous;
  const pugi::xml_node limit = first_child(joint_element, "limit");
  if (!limit) {
    if (continuous) return {};
    return std::unexpected(ParseError::of(ParseError::Kind::MissingParameter, "limit"));
  }
  JointLimits& limits = joint.limits();
  if (!continuous) {
    // unreadable bounds keep the defaults
    const auto bound = [&](const char* name) {
      return parse_double(attribute(limit, name).value_or(std::string_view()));
    };
    if (const auto lower = bound("lower")) limits.min_configuration[0] = *lower;
    if (const auto upper = bound("upper")) limits.max_configuration[0] = *upper;
  }
  const auto effort = extract_double(limit, "effort");
  if (!effort) return std::unexpected(effort.error());
  limits.max_effort[0] = *effort;
  const auto velocity = extract_double(limit, "velocity");
  if (!velocity) return std::unexpected(velocity.error());
  limits.max_velocity[0] = *velocity;
  return {};
}

}  // namespace kinetra
