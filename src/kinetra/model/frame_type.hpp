#pragma once

#include <cstdint>

namespace kinetra {

enum class FrameType : std::uint8_t { Operational = 0, Joint = 1, Fixed = 2, Body = 3, Sensor = 4 };

// "Operational", "Joint", "Fixed", "Body" or "Sensor".
const char* to_string(FrameType type);

}  // namespace kinetra
