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

std::expected<SE3, ParseError> parse_origin(const pugi::xml_node& origin) {
  SE3 placement;
  if (!origin) return placement;
  const auto [xyz_text, rpy_text] = attributes(origin, "xyz", "rpy");
  if (xyz_text) {
    const auto xyz = read_vector3(xyz_text, "xyz");
    if (!xyz) return std::unexpected(xyz.error());
    placement.translation = *xyz;
  }
  if (rpy_text) {
    const auto rpy = read_vector3(rpy_text, "rpy");
    if (!rpy) return std::unexpected(rpy.error());
    placement.rotation = rotation_from_rpy(*rpy);
  }
  return placement;
}

std::expected<Vector3D, ParseError> parse_axis(const pugi::xml_node& axis,
                                               const Vector3D& fallback) {
  if (!axis) return fallback;
  const auto xyz = extract_vector3(axis, "xyz");
  if (!xyz) return xyz;
  if (!xyz->allFinite() || xyz->isZero(0.0)) {
    return std::unexpected(ParseError::of(ParseError::Kind::InvalidParameter, "xyz"));
  }
  return xyz;
}

std::expected<Inertia, ParseError> parse_inertial(const pugi::xml_node& inertial,
                                                  std::string_view link_name) {
  if (!inertial) return Inertia::zeros();

  const auto [mass, tensor, origin] = first_children(inertial, "mass", "inertia", "origin");
  if (!mass) {
    return std::unexpected(
        ParseError::of(ParseError::Kind::MissingMassData, std::string(link_name)));
  }
  const auto mass_value = extract_double(mass, "value");
  if (!mass_value) return std::unexpected(mass_value.error());

  if (!tensor) {
    return std::unexpected(
        ParseError::of(ParseError::Kind::MissingInertiaData, std::string(link_name)));
  }
  // file order ixx, ixy, ixz, iyy, iyz, izz; stored as xx, yy, zz, xy, xz, yz
  static constexpr const char* names[] = {"ixx", "ixy", "ixz", "iyy", "iyz", "izz"};
  static constexpr std::size_t slots[] = {0, 3, 4, 1, 5, 2};
  const auto texts = attributes(tensor, names[0], names[1], names[2], names[3], names[4], names[5]);
  Symmetric3 about_com;
  for (std::size_t i = 0; i < 6; ++i) {
    const auto value = read_double(texts[i], names[i]);
    if (!value) return std::unexpected(value.error());
    about_com.data[slots[i]] = *value;
  }

  Vector3D com = Vector3D::Zero(), rpy = Vector3D::Zero();
  if (origin) {
    const auto [rpy_text, xyz_text] = attributes(origin, "rpy", "xyz");
    rpy = read_vector3(rpy_text, "rpy").value_or(Vector3D::Zero());
    com = read_vector3(xyz_text, "xyz").value_or(Vector3D::Zero());
  }
  return Inertia{*mass_value, com, about_com.rotate(rotation_from_rpy(rpy))};
}

std::expected<void, ParseError> parse_limits(const pugi::xml_node& limit, JointModel& joint) {
  const bool continuous = joint.type() == JointType::Continuous;
  if (!limit) {
    if (continuous) return {};
    return std::unexpected(ParseError::of(ParseError::Kind::MissingParameter, "limit"));
  }
  JointLimits& limits = joint.limits();
  const auto [lower_text, upper_text, effort_text, velocity_text] =
      attributes(limit, "lower", "upper", "effort", "velocity");
  if (!continuous) {
    // unreadable bounds keep the defaults
    const auto bound = [](const AttributeText& text) {
      return parse_double(text.value_or(std::string_view()));
    };
    if (const auto lower = bound(lower_text)) limits.min_configuration[0] = *lower;
    if (const auto upper = bound(upper_text)) limits.max_configuration[0] = *upper;
  }
  const auto effort = read_double(effort_text, "effort");
  if (!effort) return std::unexpected(effort.error());
  limits.max_effort[0] = *effort;
  const auto velocity = read_double(velocity_text, "velocity");
  if (!velocity) return std::unexpected(velocity.error());
  limits.max_velocity[0] = *velocity;
  return {};
}

}  // namespace kinetra
