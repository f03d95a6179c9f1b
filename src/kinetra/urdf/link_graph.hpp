#pragma once

#include <cstddef>
#include <expected>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <pugixml.hpp>

#include "kinetra/urdf/parse_error.hpp"

namespace kinetra {

// The link tree of a robot element, indexed for the walk. Names point into the document.
struct LinkGraph {
  // What hangs on one link name.
  struct Links {
    pugi::xml_node first;                // the first link of this name, in document order
    std::vector<pugi::xml_node> joints;  // joints whose <parent> names it, by joint name
    std::size_t parent_joints = 0;       // joints whose <child> names it
    bool reached = false;
  };
  struct Root {
    pugi::xml_node link;
    Links* links;  // null for a link without a name
  };

  // links that are no joint's child, by name
  std::vector<Root> roots;
  std::unordered_map<std::string_view, Links> links_by_name;
};

// Indexes the robot element's direct <link> and <joint> children and checks that they form a
// tree: every named parent link exists, no link has two parent joints and every link is
// reachable from a root link (so the walk ends). The first offending joint or link in
// document order is reported. Names are compared byte by byte, an absent name sorting as "".
std::expected<LinkGraph, ParseError> index_links(const pugi::xml_node& robot);

}  // namespace kinetra
