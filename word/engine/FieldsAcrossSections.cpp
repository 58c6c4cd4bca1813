#include "word/engine/FieldsAcrossSections.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "word/ElementOrder.h"
#include "word/engine/FieldWalk.h"
#include "word/engine/Xml.h"

namespace plenwick::word::engine {
namespace {

// Whether a document's first section ends inside the result of an index or a bibliography, as
// Word writes an index in columns: the field's paragraphs make a section of their own.
bool FirstSectionEndsInAnIndex(pugi::xml_node body) {
  FieldWalk fields;
  bool inIndex = false;
  WalkInOrder(body, [&](pugi::xml_node n) {
    fields.Take(n);
    // The body's own section properties, last, end no section inside a field.
    if (std::string_view(n.name()) != "w:sectPr") return true;
    if (std::string_view(n.parent().name()) != "w:pPr") return true;
    for (const FieldWalk::Field& field : fields.open()) {
      const std::string kind = FieldKind(field.code);
      inIndex = inIndex || kind == "INDEX" || kind == "BIBLIOGRAPHY";
    }
    return false;
  });
  return inIndex;
}

// A table of contents of the headings, not one of figures or other captions.
bool IsContents(const std::string& code) {
  return FieldKind(code) == "TOC" && code.find("\\c") == std::string::npos &&
         code.find("\\a") == std::string::npos;
}

}  // namespace

// LibreOffice passes over a section break inside an index or a bibliography, and the settings of
// the next break it takes then hold from there back: where that next section is continuous, a
// document whose first section ends in an index came onto the page of the document before. A page
// break before its first paragraph keeps it on a page of its own there; in Word the paragraph
// already opens a page, and the break adds none.
void KeepFirstSectionOnItsPage(pugi::xml_node body) {
  pugi::xml_node first = body.first_child();
  while (first && first.type() != pugi::node_element) first = first.next_sibling();
  if (!first || std::string_view(first.name()) != "w:p" || !FirstSectionEndsInAnIndex(body)) {
    return;
  }
  pugi::xml_node pPr = first.child("w:pPr");
  if (!pPr) pPr = first.prepend_child("w:pPr");
  pugi::xml_node own = pPr.child("w:pageBreakBefore");
  if (IsOn(own)) return;
  if (own) pPr.remove_child(own);
  InsertOrdered(pPr, "w:pageBreakBefore", word::kParagraphPropertyOrder);
}

// LibreOffice cannot open a file in which a content control holds a line of text and then two
// tables of contents, once a later section opens with a table: both take the control's start as
// their own, and the file is refused as a whole. A document made by hand fails the same way, and
// in a join any later document that opens with a table brings it about. The control keeps its
// first table of contents, and the blocks from the one holding the second's beginning on stand
// after the control, unchanged: a content control draws nothing, so Word shows the same. Left as
// it is where another field is still open at that block.
void OneContentsPerControl(pugi::xml_node body) {
  for (pugi::xml_node sdt : body.children("w:sdt")) {
    std::vector<pugi::xml_node> blocks;
    for (pugi::xml_node c : sdt.child("w:sdtContent").children()) {
      if (c.type() == pugi::node_element) blocks.push_back(c);
    }
    FieldWalk fields;
    std::vector<bool> noneOpenBefore;
    int contents = 0;
    std::optional<std::size_t> from;
    for (std::size_t i = 0; i < blocks.size() && !from && contents < 2; ++i) {
      noneOpenBefore.push_back(fields.open().empty());
      WalkInOrder(blocks[i], [&](pugi::xml_node n) {
        const std::optional<FieldWalk::Field> field = fields.Take(n, i);
        if (!field || !IsContents(field->code) || ++contents < 2) return true;
        if (noneOpenBefore[field->tag]) from = field->tag;
        return false;
      });
    }
    if (!from || *from == 0) continue;
    pugi::xml_node after = sdt;
    for (std::size_t i = *from; i < blocks.size(); ++i) {
      after = body.insert_move_after(blocks[i], after);
    }
  }
}

}  // namespace plenwick::word::engine
