// Complex fields (w:fldChar begin, code, separate, result, end) run across runs and paragraphs,
// so whether a place lies inside one, and which, is known only by following the story in
// document order.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace plenwick::word::engine {

class FieldWalk {
 public:
  struct Field {
    std::string code;
    bool separated = false;
    std::size_t tag = 0;  // the caller's, given with the field's beginning
  };

  // Takes the next element in document order. Returns the field whose code it completes (at its
  // separator, or at its end when it has none).
  std::optional<Field> Take(pugi::xml_node element, std::size_t tag = 0);
  // The fields open at this point, outermost first.
  const std::vector<Field>& open() const { return open_; }

 private:
  std::vector<Field> open_;
};

// The field's kind: the first word of its code, in capitals ("TOC", "INDEX").
std::string FieldKind(std::string_view code);

// Calls visit(element) for every element under root in document order, root included; a visit
// returning false ends the walk. Property elements are not entered: they hold no story.
template <typename Visit>
bool WalkInOrder(pugi::xml_node root, Visit&& visit) {
  std::vector<pugi::xml_node> pending{root};
  while (!pending.empty()) {
    pugi::xml_node n = pending.back();
    pending.pop_back();
    if (!visit(n)) return false;
    const std::string_view name = n.name();
    if (name == "w:rPr" || name == "w:tblPr" || name == "w:trPr" || name == "w:tcPr") continue;
    for (pugi::xml_node c = n.last_child(); c; c = c.previous_sibling()) {
      if (c.type() == pugi::node_element) pending.push_back(c);
    }
  }
  return true;
}

}  // namespace plenwick::word::engine
