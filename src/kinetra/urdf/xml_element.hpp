#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "kinetra/export.hpp"

namespace kinetra {

// The element's name without any namespace prefix.
KINETRA_API std::string_view local_name(const pugi::xml_node& element);

// The first direct child element with this local name (an empty node if there is none).
KINETRA_API pugi::xml_node first_child(const pugi::xml_node& element, std::string_view name);

// The first direct child element of each local name, from one pass over the children:
// const auto [origin, axis] = first_children(joint, "origin", "axis");
template <class... Names>
std::array<pugi::xml_node, sizeof...(Names)> first_children(const pugi::xml_node& element,
                                                            const Names&... names) {
  const std::array<std::string_view, sizeof...(Names)> wanted{names...};
  std::array<pugi::xml_node, sizeof...(Names)> found;
  std::size_t missing = wanted.size();
  for (pugi::xml_node child = element.first_child(); child && missing > 0;
       child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    const std::string_view name = local_name(child);
    for (std::size_t i = 0; i < wanted.size(); ++i) {
      if (!found[i] && name == wanted[i]) {
        found[i] = child;
        --missing;
        break;
      }
    }
  }
  return found;
}

// The attribute's text, if the element has it.
KINETRA_API std::optional<std::string_view> attribute(const pugi::xml_node& element,
                                                      const char* name);

// The texts of several attributes, from one pass over the element's attributes:
// const auto [xyz, rpy] = attributes(origin, "xyz", "rpy");
template <class... Names>
std::array<std::optional<std::string_view>, sizeof...(Names)> attributes(
    const pugi::xml_node& element, const Names&... names) {
  const std::array<const char*, sizeof...(Names)> wanted{names...};
  std::array<std::optional<std::string_view>, sizeof...(Names)> found;
  std::size_t missing = wanted.size();
  for (pugi::xml_attribute attr = element.first_attribute(); attr && missing > 0;
       attr = attr.next_attribute()) {
    const char* name = attr.name();
    for (std::size_t i = 0; i < wanted.size(); ++i) {
      // the first letters differ for most pairs: no call then
      if (!found[i] && name[0] == wanted[i][0] && std::strcmp(name, wanted[i]) == 0) {
        found[i] = attr.value();
        --missing;
        break;
      }
    }
  }
  return found;
}

// The element as a start tag with its attributes, e.g. <joint type="fixed">.
KINETRA_API std::string describe_element(const pugi::xml_node& element);

}  // namespace kinetra
