#pragma once

#include <array>
#include <expected>
#include <optional>
#include <string_view>

#include <pugixml.hpp>

#include "kinetra/export.hpp"
#include "kinetra/spatial/vector.hpp"
#include "kinetra/urdf/parse_error.hpp"
#include "kinetra/urdf/xml_element.hpp"

namespace kinetra {

// The text of an attribute, none when the element lacks it.
using AttributeText = std::optional<std::string_view>;

// Readers of one attribute, from its text and its name. An absent attribute is
// MissingParameter, an unreadable one (not a number, or a list of the wrong length)
// InvalidParameter, both naming the attribute.

KINETRA_API std::expected<double, ParseError> read_double(AttributeText text, const char* name);
// parsed directly as a 32-bit float
KINETRA_API std::expected<float, ParseError> read_float(AttributeText text, const char* name);
KINETRA_API std::expected<std::string_view, ParseError> read_text(AttributeText text,
                                                                  const char* name);

// Lists of numbers separated by any white space.
KINETRA_API std::expected<Vector3D, ParseError> read_vector3(AttributeText text, const char* name);
KINETRA_API std::expected<std::array<float, 3>, ParseError> read_float3(AttributeText text,
                                                                        const char* name);
KINETRA_API std::expected<Color, ParseError> read_color(AttributeText text, const char* name);

// The same, looking the attribute up on its element.
inline std::expected<double, ParseError> extract_double(const pugi::xml_node& element,
                                                        const char* name) {
  return read_double(attribute(element, name), name);
}
inline std::expected<float, ParseError> extract_float(const pugi::xml_node& element,
                                                      const char* name) {
  return read_float(attribute(element, name), name);
}
inline std::expected<std::string_view, ParseError> extract_text(const pugi::xml_node& element,
                                                                const char* name) {
  return read_text(attribute(element, name), name);
}
inline std::expected<Vector3D, ParseError> extract_vector3(const pugi::xml_node& element,
                                                           const char* name) {
  return read_vector3(attribute(element, name), name);
}
inline std::expected<std::array<float, 3>, ParseError> extract_float3(const pugi::xml_node& element,
                                                                      const char* name) {
  return read_float3(attribute(element, name), name);
}
inline std::expected<Color, ParseError> extract_color(const pugi::xml_node& element,
                                                      const char* name) {
  return read_color(attribute(element, name), name);
}

}  // namespace kinetra
