#include "word/engine/ParagraphIds.h"

#include <charconv>
#include <cstdio>

namespace plenwick::word::engine {
namespace {

// Word takes ids above 0 and below 0x80000000; one outside, or not hexadecimal, is no id.
std::optional<std::uint32_t> Parse(std::string_view text) {
  std::uint32_t value = 0;
  const auto [end, err] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (err != std::errc{} || end != text.data() + text.size() || value == 0 ||
      value >= 0x80000000u) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::string HexId(std::uint32_t id) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(id));
  return text;
}

ParagraphIds::ParagraphIds(ParagraphIdSet& taken, long& counter,
                           std::function<void(std::function<void()>)> record)
    : taken_(taken), counter_(counter), record_(std::move(record)) {}

void ParagraphIds::Take(std::uint32_t id) {
  taken_.insert(id);
  if (!added_) {
    added_ = std::make_shared<std::vector<std::uint32_t>>();
    record_([&taken = taken_, added = added_] {
      for (std::uint32_t each : *added) taken.erase(each);
    });
  }
  added_->push_back(id);
}

std::uint32_t ParagraphIds::Fresh() {
  // Word draws its ids at random, so ours count up from anywhere in the range, skipping the
  // ones documents brought.
  for (;;) {
    const auto id = static_cast<std::uint32_t>(0x10000000 + (++counter_ % 0x6FFFFFFF));
    if (!taken_.contains(id)) return id;
  }
}

std::optional<std::uint32_t> ParagraphIds::Map(std::string_view text) {
  const std::optional<std::uint32_t> id = Parse(text);
  if (!id) {
    // Each unusable id gets its own, the same wherever the document repeats it.
    auto [it, added] = unusable_.try_emplace(std::string(text), 0);
    if (added) Take(it->second = Fresh());
    return it->second;
  }
  auto [it, added] = map_.try_emplace(*id, *id);
  if (added) {
    if (taken_.contains(*id)) it->second = Fresh();
    Take(it->second);
  }
  if (it->second == *id) return std::nullopt;
  return it->second;
}

}  // namespace plenwick::word::engine
