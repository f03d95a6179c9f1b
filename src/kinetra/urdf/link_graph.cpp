#include "kinetra/urdf/link_graph.hpp"

#include <algorithm>
#include <string_view>
#include <utility>

#include "kinetra/model/name_index.hpp"
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
  for (const auto& [parent, joint] : attached)
    graph.joints[graph.links[parent].joints_end++] = joint;
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

std::expected<LinkGraph, ParseError> index_links(const pugi::xml_node& robot) {
  LinkGraph graph;
  NameIndex entries;
  const auto entry_name = [&](std::size_t entry) { return graph.links[entry].name; };

  // each link element with the entry of its name, in document order
  std::vector<std::pair<pugi::xml_node, std::size_t>> link_elements;
  std::vector<pugi::xml_node> joint_elements;
  for (const pugi::xml_node element : robot.children()) {
    if (element.type() != pugi::node_element) continue;
    const std::string_view tag = local_name(element);
    if (tag == "joint") {
      joint_elements.push_back(element);
    } else if (tag == "link") {
      std::size_t entry = LinkGraph::none;
      if (const auto name = attribute(element, "name")) {
        entry = entries.insert(*name, graph.links.size(), entry_name).value_or(graph.links.size());
        if (entry == graph.links.size()) graph.links.push_back({*name, element});
      }
      link_elements.emplace_back(element, entry);
    }
  }
  graph.link_count = link_elements.size();

  // joints with the entry of their parent link
  std::vector<std::pair<std::size_t, LinkGraph::Joint>> attached;
  attached.reserve(joint_elements.size());
  for (const pugi::xml_node& joint : joint_elements) {
    std::size_t child = LinkGraph::none;
    if (const pugi::xml_node child_element = first_child(joint, "child")) {
      const auto link = attribute(child_element, "link");
      if (!link) return error(ParseError::Kind::MissingParameter, "link");
      // a child naming no link is reported when the walk reaches its joint
      child = entries.find(*link, entry_name).value_or(LinkGraph::unknown);
      if (child != LinkGraph::unknown) ++graph.links[child].parent_joints;
    }
    if (const auto parent = attribute(first_child(joint, "parent"), "link")) {
      const auto found = entries.find(*parent, entry_name);
      if (!found) return error(ParseError::Kind::UnknownLinkName, *parent);
      attached.push_back({*found, {joint, child}});
    }
  }
  group_joints(graph, attached);

  for (const auto& [link, entry] : link_elements) {
    if (entry == LinkGraph::none || graph.links[entry].parent_joints == 0) {
      graph.roots.push_back({link, entry});
    }
  }
  std::ranges::stable_sort(graph.roots, {},
                           [](const LinkGraph::Root& root) { return name_of(root.link); });

  mark_reachable(graph);
  for (const auto& [link, entry] : link_elements) {
    if (entry == LinkGraph::none) continue;  // a link without a name is a root
    const LinkGraph::Links& links = graph.links[entry];
    if (links.parent_joints > 1)
      return error(ParseError::Kind::MultipleParentJoints, name_of(link));
    // a later link of a name that is some joint's child is never walked
    const bool walked = links.parent_joints == 0 || (links.reached && links.first == link);
    if (!walked) return error(ParseError::Kind::UnreachableLink, name_of(link));
  }
  return graph;
}

}  // namespace kinetra
