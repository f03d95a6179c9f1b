#include "kinetra/model/frame_type.hpp"

namespace kinetra {

const char* to_string(FrameType type) {
  switch (type) {
    case FrameType::Operational:
      return "Operational";
    case FrameType::Joint:
      return "Joint";
    case FrameType::Fixed:
      return "Fixed";
    case FrameType::Body:
      return "Body";
    case FrameType::Sensor:
      return "Sensor";
  }
  return "Unknown";
}

}  // namespace kinetra
