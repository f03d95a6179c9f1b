#include "kinetra/urdf/elements.hpp"

#include <cmath>

#include "kinetra/spatial/rotation.hpp"
#include "kinetra/urdf/attributes.hpp"
#include "kinetra/urdf/number_text.hpp"
#include "kinetra/urdf/xml_element.hpp"

namespace kinetra {

namespace {

SpatialRotation rotation_from_rpy(const Vector3D& rpy) {
  return rotation_from_euler_angles(rpy.x(), rpy.y(), rpy.z());
}

std::unexpected<ParseError> invalid(const char* name) {
  return std::unexpected(ParseError::of(ParseError::Kind::InvalidParameter, name));
}

// A vector attribute whose values must be finite.
std::expected<Vector3D, ParseError> read_finite_vector3(AttributeText text, const char* name) {
  auto values = read_vector3(text, name);
  if (values && !values->allFinite()) return invalid(name);
  return values;
}

// A number attribute that must be finite and, when `non_negative`, not below zero.
std::expected<double, ParseError> read_finite(AttributeText text, const char* name,
                                              bool non_negative = false) {
  auto value = read_double(text, name);
  if (value && !(std::isfinite(*value) && (!non_negative || *value >= 0.0))) return invalid(name);
  return value;
}

}  // namespace

std::expected<SE3, ParseError> parse_origin(const pugi::xml_node& origin) {
  SE3 placement;
  if (!origin) return placement;
  const auto [xyz_text, rpy_text] = attributes(origin, "xyz", "rpy");
  if (xyz_text) {
    const auto xyz = read_finite_vector3(xyz_text, "xyz");
    if (!xyz) return std::unexpected(xyz.error());
    placement.translation = *xyz;
  }
  if (rpy_text) {
    const auto rpy = read_finite_vector3(rpy_text, "rpy");
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
  if (!xyz->allFinite() || xyz->isZero(0.0)) return invalid("xyz");
  return xyz;
}

std::expected<Vector3D, ParseError> parse_translation_axis(const pugi::xml_node& axis) {
  const auto xyz = parse_axis(axis);
  if (xyz && !PrismaticJoint::usable_axis(*xyz)) return invalid("xyz");
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
  const auto mass_value = read_finite(attribute(mass, "value"), "value", true);
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
    const auto value = read_finite(texts[i], names[i]);
    if (!value) return std::unexpected(value.error());
    about_com.data[slots[i]] = *value;
  }

  Vector3D com = Vector3D::Zero(), rpy = Vector3D::Zero();
  if (origin) {
    const auto [rpy_text, xyz_text] = attributes(origin, "rpy", "xyz");
    // unreadable values read as zero, non-finite ones are refused
    rpy = read_vector3(rpy_text, "rpy").value_or(Vector3D::Zero());
    com = read_vector3(xyz_text, "xyz").value_or(Vector3D::Zero());
    if (!rpy.allFinite()) return invalid("rpy");
    if (!com.allFinite()) return invalid("xyz");
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
    // unreadable bounds keep the defaults; non-finite ones are refused
    const auto bound = [](const AttributeText& text) {
      return parse_double(text.value_or(std::string_view()));
    };
    if (const auto lower = bound(lower_text)) {
      if (!std::isfinite(*lower)) return invalid("lower");
      limits.min_configuration[0] = *lower;
    }
    if (const auto upper = bound(upper_text)) {
      if (!std::isfinite(*upper)) return invalid("upper");
      limits.max_configuration[0] = *upper;
    }
  }
  const auto effort = read_finite(effort_text, "effort", true);
  if (!effort) return std::unexpected(effort.error());
  limits.max_effort[0] = *effort;
  const auto velocity = read_finite(velocity_text, "velocity", true);
  if (!velocity) return std::unexpected(velocity.error());
  limits.max_velocity[0] = *velocity;
  return {};
}

}  // namespace kinetra
