// A paragraph's indent is three settings in one element (left, right, first line), and a
// paragraph that states only some of them inherits the others from its style. LibreOffice keeps
// the three as one property: once a paragraph states one part, it takes the other parts from the
// paragraph before it, which in a join can be another document's (a centred line that stated
// only its first-line indent came out with an earlier document's left indent and wrapped). The
// parts a paragraph leaves out are stated with what its own style chain gives them.
#include <array>
#include <string_view>
#include <vector>

#include "word/engine/Append.h"
#include "word/engine/Xml.h"

namespace plenwick::word::engine {
namespace {

// One part of an indent and the attributes that set it; the first is the one stated when
// nothing sets the part.
using IndentPart = std::array<const char*, 2>;
constexpr IndentPart kIndentParts[] = {
    {"w:left", "w:start"}, {"w:right", "w:end"}, {"w:firstLine", "w:hanging"}};

bool Sets(pugi::xml_node ind, const IndentPart& part) {
  return ind.attribute(part[0]) || ind.attribute(part[1]);
}

// Indents in characters are a measure of their own that outranks the twips; they are left as the
// document has them.
bool InCharacters(pugi::xml_node ind) {
  for (pugi::xml_attribute a : ind.attributes()) {
    if (std::string_view(a.name()).ends_with("Chars")) return true;
  }
  return false;
}

bool Numbered(pugi::xml_node pPr) {
  pugi::xml_node numId = pPr.child("w:numPr").child("w:numId");
  return numId && std::string_view(numId.attribute("w:val").value()) != "0";
}

}  // namespace

void StyleMapper::StateWholeIndent(pugi::xml_node paragraph) const {
  pugi::xml_node pPr = paragraph.child("w:pPr");
  pugi::xml_node ind = pPr.child("w:ind");
  if (!ind || InCharacters(ind)) return;
  bool whole = true;
  for (const IndentPart& part : kIndentParts) whole = whole && Sets(ind, part);
  if (whole) return;
  // A list level's indent comes between the style and the paragraph, and a table style's
  // between the defaults and the style: where either may set a part, the parts are left alone.
  if (Numbered(pPr)) return;
  for (pugi::xml_node a = paragraph.parent(); a; a = a.parent()) {
    if (std::string_view(a.name()) == "w:tbl" && TableStylesIndent()) return;
  }
  const std::vector<pugi::xml_node> chain = ParagraphChain(paragraph);
  if (!pPr.child("w:numPr").child("w:numId")) {
    for (pugi::xml_node style : chain) {
      if (!style.child("w:pPr").child("w:numPr")) continue;
      if (Numbered(style.child("w:pPr"))) return;
      break;
    }
  }
  std::vector<pugi::xml_node> sources;
  for (pugi::xml_node style : chain) sources.push_back(style.child("w:pPr").child("w:ind"));
  sources.push_back(docDefaults_.child("w:pPrDefault").child("w:pPr").child("w:ind"));
  for (pugi::xml_node source : sources) {
    if (source && InCharacters(source)) return;
  }
  for (const IndentPart& part : kIndentParts) {
    if (Sets(ind, part)) continue;
    pugi::xml_node from;
    for (pugi::xml_node source : sources) {
      if (Sets(source, part)) {
        from = source;
        break;
      }
    }
    bool stated = false;
    for (const char* name : part) {
      if (pugi::xml_attribute a = from.attribute(name)) {
        ind.append_attribute(name).set_value(a.value());
        stated = true;
      }
    }
    if (!stated) ind.append_attribute(part[0]).set_value("0");
  }
}

bool StyleMapper::TableStylesIndent() const {
  if (!tableStylesIndent_) {
    tableStylesIndent_ = false;
    for (const auto& [id, style] : index_->byId) {
      if (std::string_view(style.attribute("w:type").value()) == "table" &&
          style.select_node(".//w:pPr/w:ind")) {
        tableStylesIndent_ = true;
        break;
      }
    }
  }
  return *tableStylesIndent_;
}

}  // namespace plenwick::word::engine
