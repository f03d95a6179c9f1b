#pragma once

#include <array>
#include <cstdint>

#include "kinetra/export.hpp"

namespace kinetra {

enum class FrameType : std::uint8_t { Operational = 0, Joint = 1, Fixed = 2, Body = 3, Sensor = 4 };

// The name of each kind, indexed by its code.
inline constexpr std::array frame_type_names{"Operational", "Joint", "Fixed", "Body", "Sensor"};

// Its name; "Unknown" for a code without a kind.
KINETRA_API const char* to_string(FrameType type);

}  // namespace kinetra
