// A few values kept by how recently they were used; the one used longest ago makes room for a
// new one. The memos of a join (parsed parts, style indexes, shared headers) hold a handful of
// entries each, so a look through them all costs less than any index would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace plenwick::word::engine {

template <typename T>
class RecentlyUsed {
 public:
  explicit RecentlyUsed(std::size_t capacity) : capacity_(capacity) {}

  // The first value `matches` accepts, now the most recently used; nullptr when none does.
  template <typename Matches>
  T* Find(Matches&& matches) {
    for (Slot& slot : slots_) {
      if (slot.value && matches(*slot.value)) {
        slot.used = ++clock_;
        return &*slot.value;
      }
    }
    return nullptr;
  }

  void Add(T value) {
    if (capacity_ == 0) return;
    Slot* place = nullptr;
    if (slots_.size() < capacity_) {
      place = &slots_.emplace_back();
    } else {
      place = &slots_.front();
      for (Slot& slot : slots_) {
        if (slot.used < place->used) place = &slot;
      }
    }
    place->value = std::move(value);
    place->used = ++clock_;
  }

  // Drops every value `matches` accepts.
  template <typename Matches>
  void Forget(Matches&& matches) {
    for (Slot& slot : slots_) {
      if (slot.value && matches(*slot.value)) {
        slot.value.reset();
        slot.used = 0;
      }
    }
  }

 private:
  struct Slot {
    std::optional<T> value;
    std::uint64_t used = 0;
  };
  std::size_t capacity_;
  std::vector<Slot> slots_;
  std::uint64_t clock_ = 0;
};

}  // namespace plenwick::word::engine
