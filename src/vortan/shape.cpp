#include "vortan/shape.hpp"

namespace vortan {

const char* to_string(ShapeType type) {
  const auto code = static_cast<std::size_t>(type);
  return code < shape_type_names.size() ? shape_type_names[code] : "Unknown";
}

}  // namespace vortan
