// Ordered keyed collection: items appended in order, optionally under a key unique within the
// collection; read by 1-based position or by key; enumerated in insertion order. Holders share one
// collection through std::shared_ptr and never copy it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
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
      return true;
    }
    const auto [slot, inserted] = positionByKey_.try_emplace(std::move(key), items_.size());
    if (!inserted) return false;
    try {
      items_.push_back(std::move(item));
    } catch (...) {
      // Keep key and item in step: a key must never name a position that holds nothing.
      positionByKey_.erase(slot);
      throw;
    }
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
  const T* Find(std::string_view key) const {
    const auto found = positionByKey_.find(key);
    return found == positionByKey_.end() ? nullptr : &items_[found->second];
  }

  // 1-based position of the item under key; 0 when no item has that key.
  std::size_t PositionOf(std::string_view key) const {
    const auto found = positionByKey_.find(key);
    return found == positionByKey_.end() ? 0 : found->second + 1;
  }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  // Lets Find look a key up from a string_view without building a std::string first.
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const noexcept {
      return std::hash<std::string_view>{}(key);
    }
  };

  std::vector<T> items_;
  std::unordered_map<std::string, std::size_t, KeyHash, std::equal_to<>> positionByKey_;
};

using TextCollection = KeyedCollection<std::string>;
using NumberCollection = KeyedCollection<std::int32_t>;
using SharedTexts = std::shared_ptr<TextCollection>;
using SharedNumbers = std::shared_ptr<NumberCollection>;

}  // namespace plenwick::walk
