// The last few parts written whole into the result, by their bytes: a document made from one
// template repeats its neighbours' footers byte for byte, and a thousand copies of one footer
// cost a thousand entries that every save's central directory lists again.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "word/engine/RecentlyUsed.h"

namespace plenwick::word::engine {

class RecentParts {
 public:
  explicit RecentParts(std::size_t capacity) : known_(capacity) {}

  // The result part holding exactly these bytes, or nullptr.
  const std::string* Find(std::string_view bytes) {
    const Known* known = known_.Find([&](const Known& k) { return k.bytes == bytes; });
    return known != nullptr ? &known->part : nullptr;
  }
  // Remembers part as holding bytes.
  void Remember(std::string part, std::string bytes) {
    known_.Add(Known{std::move(part), std::move(bytes)});
  }
  // Forgets part (its document was left out, so the part never reached the result).
  void Forget(const std::string& part) {
    known_.Forget([&](const Known& k) { return k.part == part; });
  }

 private:
  struct Known {
    std::string part;
    std::string bytes;
  };
  RecentlyUsed<Known> known_;
};

}  // namespace plenwick::word::engine
