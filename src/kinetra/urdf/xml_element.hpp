#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace kinetra {

// The element's name without any namespace prefix.
std::string_view local_name(const pugi::xml_node& element);

// The first direct child element with this local name (an empty node if there is none).
pugi::xml_node first_child(const pugi::xml_node& element, std::string_view name);

// The attribute's text, if the element has it.
std::optional<std::string_view> attribute(const pugi::xml_node& element, const char* name);

// The element as a start tag with its attributes, e.g. <joint type="fixed">.
std::string describe_element(const pugi::xml_node& element);

}  // namespace kinetra
