#pragma once

#include <cstdint>

namespace kinetra {

enum class JointType : std::uint8_t { Continuous = 0, Fixed = 1, Prismatic = 2, Revolute = 3 };

// "Continuous", "Fixed", "Prismatic" or "Revolute".
const char* to_string(JointType type);

}  // namespace kinetra
