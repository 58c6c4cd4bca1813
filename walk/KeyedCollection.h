// Ordered keyed collection: items appended in order, optionally under a key unique within the
// collection; read by 1-based position or by key; enumerated in insertion order. Holders share one
// collection through std::shared_ptr and never copy it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plenwick::walk {

template <typename T>
class KeyedCollection {
 public:
  KeyedCollection() = default;
  KeyedCollection(const KeyedCollection&) = delete;
  KeyedCollection& operator=(const KeyedCollection&) = delete;

  // Appends item, under key when key is not empty. Returns false and adds nothing when the key
  // is already present.
  bool Add(T item, std::string key = {}) {
    if (key.empty()) {
      items_.push_back(std::move(item));
      try {
        keys_.emplace_back();
      } catch (...) {
        items_.pop_back();
        throw;
      }
      return true;
    }
    // Positions and hashes are 32 bits wide; no walk comes near this many names.
    if (items_.size() >= kMostKeyed) throw std::length_error("too many items in a collection");
    const std::uint32_t hash = Hash(key);
    if ((keyed_ + 1) * 2 > slots_.size()) Grow();
    // One probe finds either the key or the free place it goes to: the table is far larger than
    // the caches, and each probe sequence costs a miss.
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = hash & mask;
    for (;; at = (at + 1) & mask) {
      const Slot& slot = slots_[at];
      if (slot.position == 0) break;
      if (slot.hash == hash && keys_[slot.position - 1] == key) return false;
    }
    items_.push_back(std::move(item));
    try {
      keys_.push_back(std::move(key));
    } catch (...) {
      items_.pop_back();
      throw;
    }
    slots_[at] = Slot{hash, static_cast<std::uint32_t>(items_.size())};
    ++keyed_;
    return true;
  }

  std::size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }

  // 1-based position; nullptr when out of range.
  const T* Item(std::size_t position) const {
    if (position == 0 || position > items_.size()) return nullptr;
    return &items_[position - 1];
  }

  // nullptr when no item has that key.
  const T* Find(std::string_view key) const { return Item(PositionOf(key)); }

  // 1-based position of the item under key; 0 when no item has that key.
  std::size_t PositionOf(std::string_view key) const {
    return key.empty() ? 0 : Lookup(key, Hash(key));
  }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  // The key index is an open-addressed table of positions rather than a node-based map: a walk
  // adds millions of keys, and one allocation per key was most of the cost of collecting a file.
  // Eight bytes a slot, not sixteen: the table of a walk of tens of thousands of files then stays
  // in the processor's second-level cache; the probe's miss had been a tenth of listing.
  struct Slot {
    std::uint32_t hash = 0;      // the key's hash, cut to the table's largest possible size
    std::uint32_t position = 0;  // 1-based; 0 marks an empty slot
  };

  static constexpr std::size_t kMostKeyed = std::size_t{1} << 31;

  static std::uint32_t Hash(std::string_view key) {
    return static_cast<std::uint32_t>(std::hash<std::string_view>{}(key));
  }

  std::size_t Lookup(std::string_view key, std::uint32_t hash) const {
    if (slots_.empty()) return 0;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
      const Slot& slot = slots_[at];
      if (slot.position == 0) return 0;
      if (slot.hash == hash && keys_[slot.position - 1] == key) return slot.position;
    }
  }

  // Puts slot into the first free place of its probe sequence; the table is never full.
  void Place(Slot slot) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = slot.hash & mask;
    while (slots_[at].position != 0) at = (at + 1) & mask;
    slots_[at] = slot;
  }

  void Grow() {
    std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.position != 0) Place(slot);
    }
  }

  std::vector<T> items_;
  std::vector<std::string> keys_;  // keys_[i] is the key of items_[i], "" when it has none
  std::vector<Slot> slots_;        // a power of two in size, at most half full
  std::size_t keyed_ = 0;
};

using TextCollection = KeyedCollection<std::string>;
using NumberCollection = KeyedCollection<std::int32_t>;
using SharedTexts = std::shared_ptr<TextCollection>;
using SharedNumbers = std::shared_ptr<NumberCollection>;

}  // namespace plenwick::walk
