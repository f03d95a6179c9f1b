#include "vortan/shape.hpp"

namespace vortan {

const char* to_string(ShapeType type) {
  switch (type) {
    case ShapeType::Capsule:
      return "Capsule";
    case ShapeType::Cone:
      return "Cone";
    case ShapeType::Cuboid:
      return "Cuboid";
    case ShapeType::Cylinder:
      return "Cylinder";
    case ShapeType::Sphere:
      return "Sphere";
    case ShapeType::Mesh:
      return "Mesh";
  }
  return "Unknown";
}

}  // namespace vortan
