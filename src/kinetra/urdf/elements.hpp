#pragma once

#include <expected>
#include <string_view>

#include <pugixml.hpp>

#include "kinetra/export.hpp"
#include "kinetra/inertia/inertia.hpp"
#include "kinetra/joint/joint_model.hpp"
#include "kinetra/spatial/se3.hpp"
#include "kinetra/urdf/parse_error.hpp"

namespace kinetra {

// Each reader takes the element it reads, which may be an empty node when the parent has none.

// The placement an <origin> gives: identity without one; a missing xyz is no translation, a
// missing rpy no rotation (R = Rz(yaw) Ry(pitch) Rx(roll)); non-finite values are refused.
KINETRA_API std::expected<SE3, ParseError> parse_origin(const pugi::xml_node& origin);

// The xyz of an <axis>, `fallback` without one. A zero or non-finite axis is refused: it has no
// direction.
KINETRA_API std::expected<Vector3D, ParseError> parse_axis(const pugi::xml_node& axis,
                                               const Vector3D& fallback = Vector3D::UnitX());
// The same for a prismatic joint, whose axis is also refused when its squared norm is subnormal
// or overflows (it scales the joint's inertia).
KINETRA_API std::expected<Vector3D, ParseError> parse_translation_axis(const pugi::xml_node& axis);

// The body an <inertial> of the named link describes, the zero inertia without one. Mass and
// tensor are taken as written when finite (a negative mass is refused); an unreadable inertial
// origin reads as zero, a non-finite one is refused.
KINETRA_API std::expected<Inertia, ParseError> parse_inertial(const pugi::xml_node& inertial,
                                                  std::string_view link_name);

// Writes the bounds of a <limit> into `joint`: required for revolute and prismatic joints,
// optional for continuous ones (whose position bounds are kept). Unreadable bounds keep their
// defaults; non-finite bounds and non-finite or negative speeds and efforts are refused.
KINETRA_API std::expected<void, ParseError> parse_limits(const pugi::xml_node& limit, JointModel& joint);

}  // namespace kinetra
