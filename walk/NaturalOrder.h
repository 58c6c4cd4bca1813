// The order folder listings come in: the order a person sees in a file manager, and the same on
// every machine whatever its locale.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plenwick::walk {

// Compares two UTF-8 names: letters without regard to case, runs of ASCII digits by their value
// ("Chapter 2.docx" before "Chapter 10.docx"), everything else by code point. Names that still tie
// ("a" and "A", "7" and "007") are ordered by their bytes, so distinct names never compare equal.
// Bytes that are not valid UTF-8 sort after every character. Returns <0, 0 or >0.
int NaturalCompare(std::string_view a, std::string_view b);

inline bool NaturalLess(std::string_view a, std::string_view b) {
  return NaturalCompare(a, b) < 0;
}

namespace detail {
// The most bytes WriteAsciiSortKey writes for a name of that many bytes.
constexpr std::size_t AsciiSortKeyBound(std::size_t nameSize) {
  return 3 * nameSize + 1;
}
// Writes at out a key for an all-ASCII name whose bytes compare (as unsigned, by memcmp) the way
// NaturalCompare compares the names, and returns where it ends; returns nullptr for any other
// name.
char* WriteAsciiSortKey(std::string_view name, char* out);
}  // namespace detail

// Sorts items by NaturalCompare of nameOf(item). When every name is ASCII, as in nearly every
// folder, the names are sorted by keys compared as plain bytes: a comparison of two names
// costs a few instructions instead of a couple of hundred, which had been a third of the work
// of listing a large tree.
template <typename T, typename NameOf>
void SortNaturally(std::vector<T>& items, NameOf nameOf) {
  if (items.size() < 2) return;
  std::size_t bound = 0;
  for (const T& item : items)
    bound += detail::AsciiSortKeyBound(std::string_view(nameOf(item)).size());
  std::string keys(bound, '\0');
  std::vector<std::pair<std::string_view, std::size_t>> order;
  order.reserve(items.size());
  char* at = keys.data();
  for (std::size_t i = 0; i < items.size(); ++i) {
    char* end = detail::WriteAsciiSortKey(nameOf(items[i]), at);
    if (end == nullptr) {
      std::sort(items.begin(), items.end(),
                [&nameOf](const T& a, const T& b) { return NaturalLess(nameOf(a), nameOf(b)); });
      return;
    }
    order.emplace_back(std::string_view(at, static_cast<std::size_t>(end - at)), i);
    at = end;
  }
  // Keys are distinct for distinct names: each ends with its name's own bytes.
  std::sort(order.begin(), order.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<T> sorted;
  sorted.reserve(items.size());
  for (const auto& entry : order) sorted.push_back(std::move(items[entry.second]));
  items = std::move(sorted);
}

}  // namespace plenwick::walk
