#pragma once

#include <cstdint>

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

// The kind's name: "Continuous", "Fixed", "Prismatic", "Revolute", "Floating", "Spherical" or
// "Planar".
const char* to_string(JointType type);

}  // namespace kinetra
