#include "kinetra/model/name_index.hpp"

#include <algorithm>
#include <bit>

namespace kinetra {

void NameIndex::reserve(std::size_t count) {
  const std::size_t capacity = std::bit_ceil(std::max<std::size_t>(2 * count, 8));
  if (capacity <= slots_.size()) return;
  std::vector<Slot> old(capacity, Slot{0, no_id});
  old.swap(slots_);
  for (const Slot& slot : old) {
    if (slot.id == no_id) continue;
    std::size_t i = slot.tag & mask();
    while (slots_[i].id != no_id) i = (i + 1) & mask();
    slots_[i] = slot;
  }
}

}  // namespace kinetra
