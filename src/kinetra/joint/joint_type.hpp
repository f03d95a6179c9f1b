#pragma once

#include <array>
#include <cstdint>

#include "kinetra/export.hpp"

namespace kinetra {

enum class JointType : std::uint8_t {
  Continuous = 0,
  Fixed = 1,
  Prismatic = 2,
  Revolute = 3,
  Floating = 4,
  Spherical = 5,
  Planar = 6
};

// The name of each kind, indexed by its code.
inline constexpr std::array joint_type_names{"Continuous", "Fixed",     "Prismatic", "Revolute",
                                             "Floating",   "Spherical", "Planar"};

// Its name; "Unknown" for a code without a kind.
KINETRA_API const char* to_string(JointType type);

}  // namespace kinetra
