// Ordered keyed collection: items appended in order, optionally under a key unique within the
// collection; read by 1-based position or by key; enumerated in insertion order. Holders share one
// collection through std::shared_ptr and never copy it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
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
  bool Add(T item, std::string key = {});

  std::size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  // 1-based position; nullptr when out of range.
  const T* Item(std::size_t position) const;
  // nullptr when no item has that key.
  const T* Find(std::string_view key) const;

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<T> items_;
  std::unordered_map<std::string, std::size_t> positionByKey_;
};

using TextCollection = KeyedCollection<std::string>;
using NumberCollection = KeyedCollection<std::int32_t>;
using SharedTexts = std::shared_ptr<TextCollection>;
using SharedNumbers = std::shared_ptr<NumberCollection>;

}  // namespace plenwick::walk
