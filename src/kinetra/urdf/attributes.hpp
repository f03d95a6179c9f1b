#pragma once

#include <array>
#include <expected>
#include <string_view>

#include <pugixml.hpp>

#include "kinetra/spatial/vector.hpp"
#include "kinetra/urdf/parse_error.hpp"

namespace kinetra {

// Readers of one attribute of one element. An absent attribute is MissingParameter, an
// unreadable one (not a number, or a list of the wrong length) InvalidParameter, both naming
// the attribute.

std::expected<double, ParseError> extract_double(const pugi::xml_node& element, const char* name);
// parsed directly as a 32-bit float
std::expected<float, ParseError> extract_float(const pugi::xml_node& element, const char* name);
std::expected<std::string_view, ParseError> extract_text(const pugi::xml_node& element,
                                                         const char* name);

// Lists of numbers separated by any white space.
std::expected<Vector3D, ParseError> extract_vector3(const pugi::xml_node& element,
                                                    const char* name);
std::expected<std::array<float, 3>, ParseError> extract_float3(const pugi::xml_node& element,
                                                               const char* name);
std::expected<Color, ParseError> extract_color(const pugi::xml_node& element, const char* name);

}  // namespace kinetra
