#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "vortan/collision/distance.hpp"

namespace kinetra {

// What the queries keep between calls: each paired object's shape made ready (remade when the
// object's shape changes), and the broad phase's boxes and order.
struct CollisionWorkspace {
  std::vector<std::shared_ptr<const vortan::CollisionGeometry>> shapes;  // per object
  std::vector<vortan::Placement> placements;                             // per object
  std::vector<vortan::WorldBox> boxes;                                   // per object
  std::vector<std::size_t> used;         // objects in some pair, sorted by box lower x
  std::vector<std::int32_t> pair_index;  // objects x objects: index of the pair, or -1
  std::vector<std::pair<std::size_t, std::size_t>> pairs;  // the pairs pair_index was made for
  std::vector<std::size_t> candidates;                     // pairs whose boxes overlap
};

}  // namespace kinetra
