#include "kinetra/urdf/link_graph.hpp"

#include <algorithm>
#include <unordered_set>

#include "kinetra/urdf/xml_element.hpp"

namespace kinetra {

namespace {

std::vector<pugi::xml_node> children_named(const pugi::xml_node& element, std::string_view name) {
  std::vector<pugi::xml_node> found;
  for (const pugi::xml_node child : element.children()) {
    if (child.type() == pugi::node_element && local_name(child) == name) found.push_back(child);
  }
  return found;
}

void sort_by_name(std::vector<pugi::xml_node>& elements) {
  if (elements.size() < 2) return;
  std::ranges::stable_sort(elements, std::less<std::string_view>{}, [](const pugi::xml_node& e) {
    return std::string_view(e.attribute("name").value());
  });
}

std::unexpected<ParseError> error(ParseError::Kind kind, std::string_view subject) {
  return std::unexpected(ParseError::of(kind, std::string(subject)));
}

// Every link reached from the roots through joints and child links.
std::unordered_set<std::size_t> reachable_links(const LinkGraph& graph) {
  std::unordered_set<std::size_t> reached;
  std::vector<pugi::xml_node> pending(graph.roots.rbegin(), graph.roots.rend());
  while (!pending.empty()) {
    const pugi::xml_node link = pending.back();
    pending.pop_back();
    if (!reached.insert(link.hash_value()).second) continue;
    const auto name = attribute(link, "name");
    if (!name) continue;
    const auto joints = graph.joints_by_parent.find(*name);
    if (joints == graph.joints_by_parent.end()) continue;
    for (const pugi::xml_node& joint : joints->second) {
      const auto child = attribute(first_child(joint, "child"), "link");
      if (!child) continue;
      if (const auto found = graph.link_by_name.find(*child); found != graph.link_by_name.end()) {
        pending.push_back(found->second);
      }
    }
  }
  return reached;
}

}  // namespace

std::expected<LinkGraph, ParseError> index_links(const pugi::xml_node& robot) {
  LinkGraph graph;
  const std::vector<pugi::xml_node> links = children_named(robot, "link");
  for (const pugi::xml_node& link : links) {
    if (const auto name = attribute(link, "name")) graph.link_by_name.try_emplace(*name, link);
  }

  std::unordered_map<std::string_view, std::size_t> parent_joint_count;
  for (const pugi::xml_node& joint : children_named(robot, "joint")) {
    if (const pugi::xml_node child = first_child(joint, "child")) {
      const auto link = attribute(child, "link");
      if (!link) return error(ParseError::Kind::MissingParameter, "link");
      ++parent_joint_count[*link];
    }
    if (const auto parent = attribute(first_child(joint, "parent"), "link")) {
      if (!graph.link_by_name.contains(*parent)) {
        return error(ParseError::Kind::UnknownLinkName, *parent);
      }
      graph.joints_by_parent[*parent].push_back(joint);
    }
  }
  for (auto& [parent, joints] : graph.joints_by_parent) sort_by_name(joints);

  for (const pugi::xml_node& link : links) {
    const auto name = attribute(link, "name");
    if (!name || !parent_joint_count.contains(*name)) graph.roots.push_back(link);
  }
  sort_by_name(graph.roots);

  const auto reached = reachable_links(graph);
  for (const pugi::xml_node& link : links) {
    const auto name = attribute(link, "name");
    if (name && parent_joint_count[*name] > 1) {
      return error(ParseError::Kind::MultipleParentJoints, *name);
    }
    if (!reached.contains(link.hash_value())) {
      return error(ParseError::Kind::UnreachableLink, name.value_or(""));
    }
  }
  return graph;
}

}  // namespace kinetra
