#include "kinetra/urdf/link_graph.hpp"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "kinetra/urdf/xml_element.hpp"

namespace kinetra {

namespace {

std::string_view name_of(const pugi::xml_node& element) {
  return element.attribute("name").value();
}

std::unexpected<ParseError> error(ParseError::Kind kind, std::string_view subject) {
  return std::unexpected(ParseError::of(kind, std::string(subject)));
}

// Marks every link name reached from the roots through joints and child links.
void mark_reachable(LinkGraph& graph) {
  std::vector<std::size_t> pending;
  for (const auto& root : graph.roots) {
    if (root.links != LinkGraph::none) pending.push_back(root.links);
  }
  while (!pending.empty()) {
    LinkGraph::Links& links = graph.links[pending.back()];
    pending.pop_back();
    if (links.reached) continue;
    links.reached = true;
    for (const LinkGraph::Joint& joint : graph.joints_of(&links - graph.links.data())) {
      if (joint.child < graph.links.size()) pending.push_back(joint.child);
    }
  }
}

// Counts the link's <collision> and <visual> children.
void count_geometry(const pugi::xml_node& link, RobotChildren& robot) {
  for (pugi::xml_node child = link.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    const std::string_view tag = local_name(child);
    if (tag == "collision") ++robot.collision_count;
    if (tag == "visual") ++robot.visual_count;
  }
}

// Groups the joints by the entry of their parent link, in document order within a group, then
// orders each group by joint name.
void group_joints(LinkGraph& graph,
                  const std::vector<std::pair<std::size_t, LinkGraph::Joint>>& attached) {
  for (const auto& [parent, joint] : attached) ++graph.links[parent].joints_end;
  std::size_t offset = 0;
  for (LinkGraph::Links& links : graph.links) {
    const std::size_t size = links.joints_end;
    links.joints_begin = links.joints_end = offset;
    offset += size;
  }
  graph.joints.resize(attached.size());
  for (const auto& [parent, joint] : attached) {
    graph.joints[graph.links[parent].joints_end++] = joint;
  }
  for (const LinkGraph::Links& links : graph.links) {
    if (links.joints_end - links.joints_begin < 2) continue;
    const auto begin = graph.joints.begin() + static_cast<std::ptrdiff_t>(links.joints_begin);
    const auto end = graph.joints.begin() + static_cast<std::ptrdiff_t>(links.joints_end);
    std::stable_sort(begin, end, [](const LinkGraph::Joint& a, const LinkGraph::Joint& b) {
      return name_of(a.element) < name_of(b.element);
    });
  }
}

}  // namespace

RobotChildren scan_robot(const pugi::xml_node& robot) {
  RobotChildren found;
  for (pugi::xml_node element = robot.first_child(); element; element = element.next_sibling()) {
    if (element.type() != pugi::node_element) continue;
    const std::string_view tag = local_name(element);
    if (tag == "joint") {
      RobotChildren::Joint& joint = found.joints.emplace_back();
      joint.element = element;
      const auto [parent, child] = first_children(element, "parent", "child");
      if (const auto link = attribute(parent, "link")) joint.parent = NameIndex::key(*link);
      if (child) {
        const auto link = attribute(child, "link");
        joint.child_without_link = !link;
        if (link) joint.child = NameIndex::key(*link);
      }
    } else if (tag == "link") {
      RobotChildren::Link& link = found.links.emplace_back();
      link.element = element;
      if (const auto name = attribute(element, "name")) link.name = NameIndex::key(*name);
      count_geometry(element, found);
    } else if (tag == "material") {
      found.materials.push_back(element);
    }
  }
  return found;
}

std::expected<LinkGraph, ParseError> index_links(const RobotChildren& robot) {
  const auto& link_elements = robot.links;
  const auto& joint_elements = robot.joints;
  LinkGraph graph;

  // Lookups in a large index miss the cache: each key's slot is fetched a few keys ahead.
  constexpr std::size_t ahead = 8;
  NameIndex entries;
  entries.reserve(link_elements.size());
  graph.links.reserve(link_elements.size());
  const auto entry_name = [&](std::size_t entry) { return graph.links[entry].name; };
  // the entry of each link element's name
  std::vector<std::size_t> link_entries(link_elements.size(), LinkGraph::none);
  for (std::size_t i = 0; i < link_elements.size(); ++i) {
    if (i + ahead < link_elements.size() && link_elements[i + ahead].name) {
      entries.prefetch(*link_elements[i + ahead].name);
    }
    const RobotChildren::Link& link = link_elements[i];
    if (!link.name) continue;
    const std::size_t added = graph.links.size();
    if (entries.insert(*link.name, added, entry_name)) {
      return error(ParseError::Kind::DuplicateLink, link.name->name);
    }
    link_entries[i] = added;
    graph.links.push_back({link.name->name, link.element});
  }

  // joints with the entry of their parent link
  std::vector<std::pair<std::size_t, LinkGraph::Joint>> attached;
  attached.reserve(joint_elements.size());
  for (std::size_t i = 0; i < joint_elements.size(); ++i) {
    if (i + ahead < joint_elements.size()) {
      const RobotChildren::Joint& later = joint_elements[i + ahead];
      if (later.child) entries.prefetch(*later.child);
      if (later.parent) entries.prefetch(*later.parent);
    }
    const RobotChildren::Joint& joint = joint_elements[i];
    if (joint.child_without_link) return error(ParseError::Kind::MissingParameter, "link");
    std::size_t child = LinkGraph::none;
    if (joint.child) {
      // a child naming no link is reported when the walk reaches its joint
      child = entries.find(*joint.child, entry_name).value_or(LinkGraph::unknown);
      if (child != LinkGraph::unknown) ++graph.links[child].parent_joints;
    }
    if (joint.parent) {
      const auto found = entries.find(*joint.parent, entry_name);
      if (!found) return error(ParseError::Kind::UnknownLinkName, joint.parent->name);
      attached.push_back({*found, {joint.element, child}});
    }
  }
  group_joints(graph, attached);

  for (std::size_t i = 0; i < link_elements.size(); ++i) {
    const std::size_t entry = link_entries[i];
    if (entry == LinkGraph::none || graph.links[entry].parent_joints == 0) {
      graph.roots.push_back({link_elements[i].element, entry});
    }
  }
  std::ranges::stable_sort(graph.roots, {},
                           [](const LinkGraph::Root& root) { return name_of(root.link); });

  mark_reachable(graph);
  for (std::size_t i = 0; i < link_elements.size(); ++i) {
    const std::size_t entry = link_entries[i];
    if (entry == LinkGraph::none) continue;  // a link without a name is a root
    const pugi::xml_node& link = link_elements[i].element;
    const LinkGraph::Links& links = graph.links[entry];
    if (links.parent_joints > 1)
      return error(ParseError::Kind::MultipleParentJoints, name_of(link));
    if (links.parent_joints > 0 && !links.reached) {
      return error(ParseError::Kind::UnreachableLink, name_of(link));
    }
  }
  return graph;
}

}  // namespace kinetra
