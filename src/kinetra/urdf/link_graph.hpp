#pragma once

#include <expected>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <pugixml.hpp>

#include "kinetra/urdf/parse_error.hpp"

namespace kinetra {

// The link tree of a robot element, indexed for the walk. Names point into the document.
struct LinkGraph {
  // links that are no joint's child, by name
  std::vector<pugi::xml_node> roots;
  // the first link of each name, in document order
  std::unordered_map<std::string_view, pugi::xml_node> link_by_name;
  // the joints whose <parent> names a link, by joint name
  std::unordered_map<std::string_view, std::vector<pugi::xml_node>> joints_by_parent;
};

// Indexes the robot element's direct <link> and <joint> children and checks that they form a
// tree: every named parent link exists, no link has two parent joints and every link is
// reachable from a root link (so the walk ends). The first offending joint or link in
// document order is reported. Names are compared byte by byte, an absent name sorting as "".
std::expected<LinkGraph, ParseError> index_links(const pugi::xml_node& robot);

}  // namespace kinetra
