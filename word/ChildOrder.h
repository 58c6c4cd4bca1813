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
  pugi::xml_node first = parent.first_child();
  if (!first || !first.next_sibling()) return false;  // one child is in order
  // The rank each child sorts by: its own, or that of the known child before it.
  auto ranks = [&rank](pugi::xml_node from, auto&& each) {
    int last = -1;
    for (pugi::xml_node c = from; c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element) continue;
      int r = rank(std::string_view(c.name()));
      if (r < 0) r = last;
      if (!each(c, r, last)) return;
      last = std::max(last, r);
    }
  };
  bool sorted = true;
  ranks(first, [&sorted](pugi::xml_node, int r, int last) { return sorted = r >= last; });
  if (sorted) return false;
  std::vector<std::pair<int, pugi::xml_node>> kids;
  ranks(first, [&kids](pugi::xml_node c, int r, int) {
    kids.emplace_back(r, c);
    return true;
  });
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
