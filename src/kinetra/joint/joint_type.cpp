#include "kinetra/joint/joint_type.hpp"

namespace kinetra {

const char* to_string(JointType type) {
  switch (type) {
    case JointType::Continuous:
      return "Continuous";
    case JointType::Fixed:
      return "Fixed";
    case JointType::Prismatic:
      return "Prismatic";
    case JointType::Revolute:
      return "Revolute";
    case JointType::Floating:
      return "Floating";
    case JointType::Spherical:
      return "Spherical";
    case JointType::Planar:
      return "Planar";
  }
  return "Unknown";
}

}  // namespace kinetra
