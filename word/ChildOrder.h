// Putting an element's children in the order the schema prescribes, for code that repairs what
// other writers put out of order (the orders are in ElementOrder.h).
#pragma once

#include <algorithm>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include <pugixml.hpp>

namespace plenwick::word {

// Stable-sorts the element children of `parent` by rank(name); a child whose rank is negative
// (one the order does not know) keeps its place after the known child before it. Leaves the
// children alone when they are in order, as what Word writes always is. Returns whether any
// moved.
template <class Rank>
bool KeepChildOrderByRank(pugi::xml_node parent, const Rank& rank) {
  std::vector<std::pair<int, pugi::xml_node>> kids;
  int last = -1;
  bool sorted = true;
  for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    int r = rank(std::string_view(c.name()));
    if (r < 0) r = last;
    if (r < last) sorted = false;
    last = std::max(last, r);
    kids.emplace_back(r, c);
  }
  if (sorted) return false;
  std::stable_sort(kids.begin(), kids.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& kid : kids) parent.append_move(kid.second);
  return true;
}

// The same by a list of names in schema order.
inline bool KeepChildOrder(pugi::xml_node parent, std::span<const char* const> order) {
  return KeepChildOrderByRank(parent, [order](std::string_view name) {
    for (std::size_t i = 0; i < order.size(); ++i) {
      if (name == order[i]) return static_cast<int>(i);
    }
    return -1;
  });
}

}  // namespace plenwick::word
