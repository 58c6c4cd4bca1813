// Line numbering is a section's setting in Word: only sections that ask for it are numbered.
// LibreOffice numbers every section once one section asks, so a document without line numbers
// joined with one that has them came out numbered. Once a document with numbered lines joins
// the result, the result's paragraph defaults leave paragraphs out of the count, and that
// document's paragraphs in numbered sections say they are counted unless their own style says
// otherwise. Word draws the same either way: a paragraph outside a numbered section is never
// counted. LibreOffice also numbers the lines of a numbering document's notes, which Word never
// does: they say they are counted too, so that the document looks in LibreOffice as it did alone.
#include <string_view>
#include <vector>

#include "word/engine/Append.h"
#include "word/engine/StyleNameKey.h"
#include "word/engine/Xml.h"

namespace plenwick::word::engine {

void StyleMapper::KeepLineNumberStyle() {
  static const std::string kName = "line number";
  if (ctx_.result.index.styleNames.count(StyleNameKey(kName)) != 0) return;
  for (pugi::xml_node style : stylesRoot_.children("w:style")) {
    if (std::string_view(style.attribute("w:type").value()) == "character" &&
        Fold(style.child("w:name").attribute("w:val").value()) == kName) {
      Map(style.attribute("w:styleId").value());
      return;
    }
  }
}

namespace {

// Whether some section of the body numbers its lines: its own properties or a paragraph's, and
// paragraphs hold them at the top level or inside a content control or custom XML there.
bool NumbersLines(pugi::xml_node body) {
  for (pugi::xml_node c : body.children()) {
    const std::string_view name = c.name();
    if (name == "w:p") {
      if (c.child("w:pPr").child("w:sectPr").child("w:lnNumType")) return true;
    } else if (name == "w:sectPr") {
      if (c.child("w:lnNumType")) return true;
    } else if (name != "w:tbl" && c.find_node([](pugi::xml_node n) {
                 return std::string_view(n.name()) == "w:lnNumType";
               })) {
      return true;
    }
  }
  return false;
}

}  // namespace

void StyleMapper::StateLinesCounted(pugi::xml_node paragraph) const {
  if (paragraph.child("w:pPr").child("w:suppressLineNumbers")) return;
  for (pugi::xml_node style : ParagraphChain(paragraph)) {
    if (style.child("w:pPr").child("w:suppressLineNumbers")) return;
  }
  const pugi::xml_node ownDefault = stylesRoot_.child("w:docDefaults")
                                        .child("w:pPrDefault")
                                        .child("w:pPr")
                                        .child("w:suppressLineNumbers");
  if (ownDefault && IsOn(ownDefault)) return;
  pugi::xml_node pPr = paragraph.child("w:pPr");
  if (!pPr) pPr = paragraph.prepend_child("w:pPr");
  InsertOrdered(pPr, "w:suppressLineNumbers", ParagraphPropertyOrder())
      .append_attribute("w:val")
      .set_value("0");
}

bool StyleMapper::CountNumberedLines(pugi::xml_node body) const {
  if (!NumbersLines(body)) return false;
  std::vector<pugi::xml_node> section;
  auto close = [&](pugi::xml_node sectPr) {
    if (sectPr.child("w:lnNumType")) {
      for (pugi::xml_node paragraph : section) StateLinesCounted(paragraph);
    }
    section.clear();
  };
  for (pugi::xpath_node found : body.select_nodes(".//w:p")) {
    pugi::xml_node paragraph = found.node();
    section.push_back(paragraph);
    if (pugi::xml_node sectPr = paragraph.child("w:pPr").child("w:sectPr")) close(sectPr);
  }
  close(body.child("w:sectPr"));
  return true;
}

void StyleMapper::CountNoteLines(pugi::xml_node note) const {
  for (pugi::xpath_node found : note.select_nodes(".//w:p")) StateLinesCounted(found.node());
}

void LeaveLinesUncounted(pugi::xml_node docDefaults) {
  pugi::xml_node pPrDefault = docDefaults.child("w:pPrDefault");
  if (!pPrDefault) pPrDefault = docDefaults.append_child("w:pPrDefault");
  pugi::xml_node pPr = pPrDefault.child("w:pPr");
  if (!pPr) pPr = pPrDefault.append_child("w:pPr");
  pugi::xml_node suppress = pPr.child("w:suppressLineNumbers");
  if (!suppress) suppress = InsertOrdered(pPr, "w:suppressLineNumbers", ParagraphPropertyOrder());
  suppress.remove_attribute("w:val");
}

}  // namespace plenwick::word::engine
