#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "kinetra/export.hpp"

namespace kinetra {

// Ids found by name, for names kept by the index's owner: open addressing over (hash, id)
// slots, so a lookup reads one array and compares a name only on a hash match.
// `name_of(id)` gives the name of a stored id; the owner passes the same one to every call and
// never renames a stored id. Copies stay valid for a copied owner.
class KINETRA_API NameIndex {
 public:
  // A name with its hash, for lookups in bulk: prefetch a key a few lookups ahead of its own.
  struct Key {
    std::string_view name;
    std::uint32_t tag;
  };
  static Key key(std::string_view name) { return {name, tag_of(name)}; }

  std::size_t size() const { return size_; }
  // Room for `count` names in all without growing.
  void reserve(std::size_t count);

  // Starts loading the slot where a lookup of `key` begins.
  void prefetch(const Key& key) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[key.tag & mask()]);
  }

  template <class NameOf>
  std::optional<std::size_t> find(const Key& key, const NameOf& name_of) const {
    if (slots_.empty()) return std::nullopt;
    for (std::size_t i = key.tag & mask();; i = (i + 1) & mask()) {
      const Slot& slot = slots_[i];
      if (slot.id == no_id) return std::nullopt;
      if (slot.tag == key.tag && name_of(slot.id) == key.name) return slot.id;
    }
  }
  template <class NameOf>
  std::optional<std::size_t> find(std::string_view name, const NameOf& name_of) const {
    return find(key(name), name_of);
  }

  // Stores `id` under the name unless it is present already: then returns the id stored under
  // it and stores nothing.
  template <class NameOf>
  std::optional<std::size_t> insert(const Key& key, std::size_t id, const NameOf& name_of) {
    if (2 * (size_ + 1) > slots_.size()) reserve(size_ + 1);
    for (std::size_t i = key.tag & mask();; i = (i + 1) & mask()) {
      Slot& slot = slots_[i];
      if (slot.id == no_id) {
        slot = {key.tag, static_cast<std::uint32_t>(id)};
        ++size_;
        return std::nullopt;
      }
      if (slot.tag == key.tag && name_of(slot.id) == key.name) return slot.id;
    }
  }
  template <class NameOf>
  std::optional<std::size_t> insert(std::string_view name, std::size_t id, const NameOf& name_of) {
    return insert(key(name), id, name_of);
  }

 private:
  // Eight bytes, so that more of the table stays in cache: ids fit 32 bits, as no owner could
  // hold 2^32 named things in memory. The tag is the name's hash cut to 32 bits; its low bits
  // give the slot.
  struct Slot {
    std::uint32_t tag;
    std::uint32_t id;
  };
  static constexpr std::uint32_t no_id = static_cast<std::uint32_t>(-1);

  static std::uint32_t tag_of(std::string_view name) {
    return static_cast<std::uint32_t>(std::hash<std::string_view>{}(name));
  }
  std::size_t mask() const { return slots_.size() - 1; }

  std::vector<Slot> slots_;  // a power of two in size, at most half full
  std::size_t size_ = 0;
};

}  // namespace kinetra
