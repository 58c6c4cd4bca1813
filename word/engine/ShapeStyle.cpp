#include "word/engine/ShapeStyle.h"

#include <array>
#include <string_view>

#include "word/ChildOrder.h"
#include "word/engine/Xml.h"

namespace plenwick::word::engine {
namespace {

std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

constexpr std::array<std::string_view, 6> kFills = {"a:noFill",   "a:solidFill", "a:gradFill",
                                                    "a:blipFill", "a:pattFill",  "a:grpFill"};

bool IsOneOf(std::string_view name, auto&& names) {
  for (std::string_view n : names) {
    if (name == n) return true;
  }
  return false;
}

// The schema's order of a shape's properties, by group.
int ShapePropertyRank(std::string_view name) {
  if (name == "a:xfrm") return 0;
  if (name == "a:custGeom" || name == "a:prstGeom") return 1;
  if (IsOneOf(name, kFills)) return 2;
  if (name == "a:ln") return 3;
  if (name == "a:effectLst" || name == "a:effectDag") return 4;
  if (name == "a:scene3d") return 5;
  if (name == "a:sp3d") return 6;
  if (name == "a:extLst") return 7;
  return -1;
}

// The same for a line's children.
int LinePropertyRank(std::string_view name) {
  if (name == "a:noFill" || name == "a:solidFill" || name == "a:gradFill" || name == "a:pattFill")
    return 0;
  if (name == "a:prstDash" || name == "a:custDash") return 1;
  if (name == "a:round" || name == "a:bevel" || name == "a:miter") return 2;
  if (name == "a:headEnd") return 3;
  if (name == "a:tailEnd") return 4;
  if (name == "a:extLst") return 5;
  return -1;
}

pugi::xml_node Nth(pugi::xml_node list, int n) {
  for (pugi::xml_node c = list.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element && n-- == 0) return c;
  }
  return {};
}

pugi::xml_node FirstElement(pugi::xml_node node) {
  pugi::xml_node c = node.first_child();
  while (c && c.type() != pugi::node_element) c = c.next_sibling();
  return c;
}

// Copies `from` into `parent` and gives each placeholder colour in the copy the reference's
// colour, followed by the placeholder's own adjustments (a darker shade of it, say).
void CopyResolved(pugi::xml_node parent, pugi::xml_node from, pugi::xml_node ref) {
  pugi::xml_node copy = parent.append_copy(from);
  const pugi::xml_node colour = FirstElement(ref);
  std::vector<pugi::xml_node> placeholders;
  WalkElements(copy, [&placeholders](pugi::xml_node n) {
    if (std::string_view(n.name()) == "a:schemeClr" &&
        std::string_view(n.attribute("val").value()) == "phClr") {
      placeholders.push_back(n);
      return false;
    }
    return true;
  });
  for (pugi::xml_node placeholder : placeholders) {
    if (!colour) continue;  // nothing to take it from: left as the theme says
    pugi::xml_node resolved = placeholder.parent().insert_copy_before(colour, placeholder);
    for (pugi::xml_node adjustment : placeholder.children()) {
      if (adjustment.type() == pugi::node_element) resolved.append_copy(adjustment);
    }
    placeholder.parent().remove_child(placeholder);
  }
}

bool HasChild(pugi::xml_node node, auto&& ranked, int rank) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element && ranked(std::string_view(c.name())) == rank) return true;
  }
  return false;
}

void StateLine(pugi::xml_node spPr, pugi::xml_node ref, pugi::xml_node given) {
  pugi::xml_node line = spPr.child("a:ln");
  if (!line) line = spPr.append_child("a:ln");
  for (pugi::xml_attribute a : given.attributes()) {
    if (!line.attribute(a.name())) line.append_attribute(a.name()).set_value(a.value());
  }
  bool added = false;
  for (pugi::xml_node c : given.children()) {
    const int rank = LinePropertyRank(c.name());
    if (rank < 0 || std::string_view(c.name()) == "a:extLst" ||
        HasChild(line, LinePropertyRank, rank)) {
      continue;
    }
    CopyResolved(line, c, ref);
    added = true;
  }
  if (added) KeepChildOrderByRank(line, LinePropertyRank);
}

}  // namespace

void StateShapeStyle(pugi::xml_node shape, pugi::xml_node formats) {
  pugi::xml_node spPr, style;
  for (pugi::xml_node c : shape.children()) {
    const std::string_view name = LocalName(c.name());
    if (name == "spPr") spPr = c;
    if (name == "style") style = c;
  }
  if (!spPr || !style || !formats) return;
  bool added = false;

  pugi::xml_node lineRef = style.child("a:lnRef");
  if (const int n = lineRef.attribute("idx").as_int(); n > 0) {
    if (pugi::xml_node given = Nth(formats.child("a:lnStyleLst"), n - 1)) {
      added |= !spPr.child("a:ln");
      StateLine(spPr, lineRef, given);
    }
  }

  pugi::xml_node fillRef = style.child("a:fillRef");
  const int fill = fillRef.attribute("idx").as_int();
  if (fill > 0 && fill != 1000 && !HasChild(spPr, ShapePropertyRank, 2)) {
    pugi::xml_node given = fill > 1000 ? Nth(formats.child("a:bgFillStyleLst"), fill - 1001)
                                       : Nth(formats.child("a:fillStyleLst"), fill - 1);
    if (given && std::string_view(given.name()) != "a:blipFill") {
      CopyResolved(spPr, given, fillRef);
      added = true;
    }
  }

  pugi::xml_node effectRef = style.child("a:effectRef");
  if (const int n = effectRef.attribute("idx").as_int(); n > 0) {
    pugi::xml_node given = Nth(formats.child("a:effectStyleLst"), n - 1);
    for (pugi::xml_node c : given.children()) {
      const int rank = ShapePropertyRank(c.name());
      if (rank < 4 || rank > 6 || HasChild(spPr, ShapePropertyRank, rank)) continue;
      CopyResolved(spPr, c, effectRef);
      added = true;
    }
  }
  if (added) KeepChildOrderByRank(spPr, ShapePropertyRank);
}

}  // namespace plenwick::word::engine
