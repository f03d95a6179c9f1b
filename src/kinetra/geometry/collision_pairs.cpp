#include "kinetra/geometry/collision_pairs.hpp"

#include <algorithm>

namespace kinetra {
namespace {

std::expected<std::pair<std::size_t, std::size_t>, PairError> checked_pair(
    const GeometryModel& model, std::size_t i, std::size_t j) {
  const std::size_t count = model.objects.size();
  for (std::size_t index : {i, j}) {
    if (index >= count)
      return std::unexpected(PairError{PairError::Kind::OutOfRange, index, count});
  }
  if (i == j) return std::unexpected(PairError{PairError::Kind::SameObject, i, count});
  return std::pair{std::min(i, j), std::max(i, j)};
}

}  // namespace

std::string PairError::display() const {
  if (kind == Kind::SameObject) {
    return "a collision pair needs two different objects, got (" + std::to_string(index) + ", " +
           std::to_string(index) + ")";
  }
  return "geometry object index " + std::to_string(index) + " is out of range for a model with " +
         std::to_string(count) + " object" + (count == 1 ? "" : "s");
}

std::expected<void, PairError> add_collision_pair(GeometryModel& model, std::size_t i,
                                                  std::size_t j) {
  auto pair = checked_pair(model, i, j);
  if (!pair) return std::unexpected(pair.error());
  auto& pairs = model.collision_pairs;
  if (std::find(pairs.begin(), pairs.end(), *pair) == pairs.end()) pairs.push_back(*pair);
  return {};
}

std::expected<void, PairError> remove_collision_pair(GeometryModel& model, std::size_t i,
                                                     std::size_t j) {
  auto pair = checked_pair(model, i, j);
  if (!pair) return std::unexpected(pair.error());
  std::erase(model.collision_pairs, *pair);
  return {};
}

void add_all_collision_pairs(GeometryModel& model, bool skip_adjacent,
                             const std::vector<std::size_t>& joint_parents) {
  const auto adjacent = [&](std::size_t a, std::size_t b) {
    const auto parent = [&](std::size_t joint) {
      return joint < joint_parents.size() ? joint_parents[joint] : joint;
    };
    return (a != 0 && parent(a) == b) || (b != 0 && parent(b) == a);
  };
  const auto& objects = model.objects;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    for (std::size_t j = i + 1; j < objects.size(); ++j) {
      const std::size_t a = objects[i].parent_joint, b = objects[j].parent_joint;
      if (a == b || objects[i].disable_collision || objects[j].disable_collision) continue;
      if (skip_adjacent && adjacent(a, b)) continue;
      (void)add_collision_pair(model, i, j);
    }
  }
}

std::vector<std::string> remove_link_pairs(
    GeometryModel& model, const std::vector<std::pair<std::string, std::string>>& link_pairs,
    bool strict) {
  const auto frame_of = [&](const std::string& link) -> std::optional<std::size_t> {
    for (const auto& [name, frame] : model.links) {
      if (name == link) return frame;
    }
    return std::nullopt;
  };
  std::vector<std::string> unknown;
  for (const auto& [first, second] : link_pairs) {
    for (const std::string* link : {&first, &second}) {
      if (!frame_of(*link) && std::find(unknown.begin(), unknown.end(), *link) == unknown.end()) {
        unknown.push_back(*link);
      }
    }
  }
  if (strict && !unknown.empty()) return unknown;
  for (const auto& [first, second] : link_pairs) {
    const auto a = frame_of(first), b = frame_of(second);
    if (!a || !b) continue;
    std::erase_if(model.collision_pairs, [&](const auto& pair) {
      const std::size_t fi = model.objects[pair.first].parent_frame;
      const std::size_t fj = model.objects[pair.second].parent_frame;
      return (fi == *a && fj == *b) || (fi == *b && fj == *a);
    });
  }
  return unknown;
}

}  // namespace kinetra
