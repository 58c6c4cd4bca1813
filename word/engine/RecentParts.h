// The last few parts written whole into the result, by their bytes: a document made from one
// template repeats its neighbours' footers byte for byte, and a thousand copies of one footer
// cost a thousand entries that every save's central directory lists again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plenwick::word::engine {

class RecentParts {
 public:
  explicit RecentParts(std::size_t capacity) : capacity_(capacity) {}

  // The result part holding exactly these bytes, or nullptr.
  const std::string* Find(std::string_view bytes) {
    for (Known& k : known_) {
      if (k.bytes == bytes) {
        k.used = ++clock_;
        return &k.part;
      }
    }
    return nullptr;
  }

  // Remembers part as holding bytes, in place of the one used longest ago when all places are
  // taken.
  void Remember(std::string part, std::string bytes) {
    if (capacity_ == 0) return;
    Known* slot = nullptr;
    if (known_.size() < capacity_) {
      slot = &known_.emplace_back();
    } else {
      slot = &known_.front();
      for (Known& k : known_) {
        if (k.used < slot->used) slot = &k;
      }
    }
    *slot = Known{std::move(part), std::move(bytes), ++clock_};
  }

  // Forgets part (its document was left out, so the part never reached the result).
  void Forget(const std::string& part) {
    for (Known& k : known_) {
      if (k.part == part) k = Known{};
    }
  }

 private:
  struct Known {
    std::string part;
    std::string bytes;
    std::uint64_t used = 0;
  };
  std::size_t capacity_;
  std::vector<Known> known_;
  std::uint64_t clock_ = 0;
};

}  // namespace plenwick::word::engine
