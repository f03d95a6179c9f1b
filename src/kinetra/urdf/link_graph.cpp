#include "kinetra/urdf/link_graph.hpp"

#include <algorithm>

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
  std::vector<LinkGraph::Links*> pending;
  for (const auto& root : graph.roots) {
    if (root.links) pending.push_back(root.links);
  }
  while (!pending.empty()) {
    LinkGraph::Links* links = pending.back();
    pending.pop_back();
    if (links->reached) continue;
    links->reached = true;
    for (const pugi::xml_node& joint : links->joints) {
      const auto child = attribute(first_child(joint, "child"), "link");
      if (!child) continue;
      if (const auto found = graph.links_by_name.find(*child); found != graph.links_by_name.end()) {
        pending.push_back(&found->second);
      }
    }
  }
}

}  // namespace

std::expected<LinkGraph, ParseError> index_links(const pugi::xml_node& robot) {
  LinkGraph graph;
  std::vector<pugi::xml_node> links;
  for (const pugi::xml_node link : robot.children()) {
    if (link.type() != pugi::node_element || local_name(link) != "link") continue;
    links.push_back(link);
    if (const auto name = attribute(link, "name")) graph.links_by_name.try_emplace(*name, link);
  }

  for (const pugi::xml_node joint : robot.children()) {
    if (joint.type() != pugi::node_element || local_name(joint) != "joint") continue;
    if (const pugi::xml_node child = first_child(joint, "child")) {
      const auto link = attribute(child, "link");
      if (!link) return error(ParseError::Kind::MissingParameter, "link");
      // a child naming no link is reported when the walk reaches its joint
      if (const auto found = graph.links_by_name.find(*link); found != graph.links_by_name.end()) {
        ++found->second.parent_joints;
      }
    }
    if (const auto parent = attribute(first_child(joint, "parent"), "link")) {
      const auto found = graph.links_by_name.find(*parent);
      if (found == graph.links_by_name.end()) {
        return error(ParseError::Kind::UnknownLinkName, *parent);
      }
      found->second.joints.push_back(joint);
    }
  }
  for (auto& [name, entry] : graph.links_by_name) {
    if (entry.joints.size() > 1) std::ranges::stable_sort(entry.joints, {}, name_of);
  }

  for (const pugi::xml_node& link : links) {
    const auto name = attribute(link, "name");
    if (!name) {
      graph.roots.push_back({link, nullptr});
      continue;
    }
    LinkGraph::Links& entry = graph.links_by_name.at(*name);
    if (entry.parent_joints == 0) graph.roots.push_back({link, &entry});
  }
  std::ranges::stable_sort(graph.roots, {},
                           [](const LinkGraph::Root& root) { return name_of(root.link); });

  mark_reachable(graph);
  for (const pugi::xml_node& link : links) {
    const auto name = attribute(link, "name");
    if (!name) continue;  // a link without a name is a root
    const LinkGraph::Links& entry = graph.links_by_name.at(*name);
    if (entry.parent_joints > 1) return error(ParseError::Kind::MultipleParentJoints, *name);
    // a later link of a name that is some joint's child is never walked
    const bool walked = entry.parent_joints == 0 || (entry.reached && entry.first == link);
    if (!walked) return error(ParseError::Kind::UnreachableLink, *name);
  }
  return graph;
}

}  // namespace kinetra
