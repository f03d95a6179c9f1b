#pragma once

// Editing the list of pairs a geometry model checks for collision.
#include <cstddef>
#include <expected>
#include <string>
#include <utility>
#include <vector>

#include "kinetra/geometry/geometry_model.hpp"

namespace kinetra {

// A pair that names an object the model does not have, or one object twice.
struct PairError {
  enum class Kind { OutOfRange, SameObject } kind;
  std::size_t index;  // the offending index
  std::size_t count;  // number of objects

  // "geometry object index 7 is out of range for a model with 3 objects"
  // "a collision pair needs two different objects, got (2, 2)"
  std::string display() const;
};

// Adds (i, j) as (min, max) unless present.
std::expected<void, PairError> add_collision_pair(GeometryModel& model, std::size_t i,
                                                  std::size_t j);
// Removes (i, j) in either order; nothing when absent.
std::expected<void, PairError> remove_collision_pair(GeometryModel& model, std::size_t i,
                                                     std::size_t j);
// Adds every pair of objects on different joints, without those whose collision is disabled and,
// with `skip_adjacent`, without those whose joints are parent and child in `joint_parents`.
void add_all_collision_pairs(GeometryModel& model, bool skip_adjacent,
                             const std::vector<std::size_t>& joint_parents);
// Removes every pair of an object of link `first` with one of link `second` (either way round),
// links matched by name through model.links. Returns the names not among the links; with
// `strict`, removes nothing when there are any.
std::vector<std::string> remove_link_pairs(
    GeometryModel& model, const std::vector<std::pair<std::string, std::string>>& link_pairs,
    bool strict);

}  // namespace kinetra
