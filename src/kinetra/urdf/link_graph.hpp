#pragma once

#include <cstddef>
#include <expected>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "kinetra/export.hpp"
#include "kinetra/model/name_index.hpp"
#include "kinetra/urdf/parse_error.hpp"

namespace kinetra {

// The link tree of a robot element, indexed for the walk. Names point into the document.
struct KINETRA_API LinkGraph {
  // entry of a nameless link, or of a joint without a <child>
  static constexpr std::size_t none = static_cast<std::size_t>(-1);
  // entry of a <child> naming no link
  static constexpr std::size_t unknown = static_cast<std::size_t>(-2);

  // A joint whose <parent> names a link.
  struct Joint {
    pugi::xml_node element;
    std::size_t child;  // the entry its <child> names (none, unknown)
  };
  // What hangs on one link name.
  struct Links {
    std::string_view name;
    pugi::xml_node first;          // the link of this name
    std::size_t joints_begin = 0;  // its joints, by joint name: joints[begin, end)
    std::size_t joints_end = 0;
    std::size_t parent_joints = 0;  // joints whose <child> names it
    bool reached = false;
  };
  struct Root {
    pugi::xml_node link;
    std::size_t links;  // none for a link without a name
  };

  // links that are no joint's child, by name
  std::vector<Root> roots;
  // one entry per link name, in document order
  std::vector<Links> links;
  // grouped by the entry of their parent link
  std::vector<Joint> joints;

  std::span<const Joint> joints_of(std::size_t entry) const {
    const Links& on = links[entry];
    return std::span(joints).subspan(on.joints_begin, on.joints_end - on.joints_begin);
  }
};

// The robot element's direct children the reader uses, in document order, with the link names
// they give, gathered in one pass over them. Names point into the document.
struct KINETRA_API RobotChildren {
  struct Link {
    pugi::xml_node element;
    std::optional<NameIndex::Key> name;
  };
  struct Joint {
    pugi::xml_node element;
    std::optional<NameIndex::Key> parent, child;  // the links its <parent> and <child> name
    bool child_without_link = false;
  };
  std::vector<pugi::xml_node> materials;
  std::vector<Link> links;
  std::vector<Joint> joints;
  // <collision> and <visual> elements of the links
  std::size_t collision_count = 0;
  std::size_t visual_count = 0;
};

KINETRA_API RobotChildren scan_robot(const pugi::xml_node& robot);

// Indexes the robot's links and joints and checks that they form a tree: no two links share a
// name, every named parent link exists, no link has two parent joints and every link is reachable
// from a root link (so the walk ends). The first offending joint or link in document order is
// reported. Names are compared byte by byte, an absent name sorting as "".
KINETRA_API std::expected<LinkGraph, ParseError> index_links(const RobotChildren& robot);

}  // namespace kinetra
