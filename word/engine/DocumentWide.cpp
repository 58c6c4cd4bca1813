// Hyphenation and mirrored margins in a result of documents that set them differently.
//
// Hyphenation can only be switched on for the whole result, and off per paragraph: the result
// hyphenates as its first document did (so nothing already joined changes), and a later
// document that did not hyphenate turns it off in each of its paragraphs. A later document that
// hyphenated in a result that does not cannot say so in its paragraphs.
//
// A gutter is margin by another name: added to the margin it widened, it no longer depends on
// the result's gutter position. Mirrored margins cannot be stated per section; they show only
// where a page's left and right margins differ, and move the even pages by the difference. The
// result mirrors when more text, weighted by how far its pages would move, was written mirrored
// than not.
#include "word/engine/DocumentWide.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "word/engine/Append.h"
#include "word/engine/Xml.h"

namespace plenwick::word::engine {
namespace {

bool SettingOn(pugi::xml_node settingsRoot, const char* name) {
  pugi::xml_node n = settingsRoot.child(name);
  return n && IsOn(n);
}

}  // namespace

bool CommitDocumentWide(DocumentWideIndex& index, const DocumentWideStaged& staged,
                        std::uint64_t textWeight, bool first) {
  const bool before = index.mirrored;
  if (first) index = DocumentWideIndex{staged.hyphenates, staged.mirrored};
  // A file without ZIP64 holds far less text than would make this product overflow.
  const std::uint64_t moved = textWeight * static_cast<std::uint64_t>(staged.sideShift);
  (staged.mirrored ? index.mirroredWeight : index.plainWeight) += moved;
  if (index.mirroredWeight != index.plainWeight) {
    index.mirrored = index.mirroredWeight > index.plainWeight;
  }
  return first || index.mirrored != before;
}

void DocumentWideKeeper::Load() {
  pugi::xml_node settingsRoot;
  const Relationship* rel = ctx_.src.RelOfKind(ctx_.src.mainPart(), "settings");
  if (rel != nullptr && !rel->part.empty() && ctx_.src.Has(rel->part)) {
    settingsRoot = ctx_.src.Xml(rel->part).doc->document_element();
  }
  DocumentWideStaged& staged = ctx_.out.wide;
  staged.hyphenates = SettingOn(settingsRoot, "w:autoHyphenation");
  staged.mirrored = SettingOn(settingsRoot, "w:mirrorMargins");
  gutterAtTop_ = SettingOn(settingsRoot, "w:gutterAtTop");
  suppressHyphens_ = !ctx_.first && ctx_.result.index.wide.hyphenates && !staged.hyphenates;
}

void DocumentWideKeeper::State(pugi::xml_node paragraph) const {
  if (!suppressHyphens_) return;
  pugi::xml_node pPr = paragraph.child("w:pPr");
  if (!pPr) pPr = paragraph.prepend_child("w:pPr");
  pugi::xml_node suppress = EnsureOrdered(pPr, "w:suppressAutoHyphens", ParagraphPropertyOrder());
  suppress.remove_attribute("w:val");
}

void DocumentWideKeeper::Section(pugi::xml_node sectPr) {
  pugi::xml_node pgMar = sectPr.child("w:pgMar");
  if (!pgMar) return;
  // The schema requires every margin, and a gutter a writer left out is none.
  if (!pgMar.attribute("w:gutter")) pgMar.append_attribute("w:gutter").set_value(0);
  const long long gutter = Twips(pgMar.attribute("w:gutter"), 0);
  if (gutter > 0) {
    // Word puts the gutter inside on mirrored pages, whatever the position asks; a document
    // written right to left has it on the right.
    const char* side = "w:left";
    if (gutterAtTop_ && !ctx_.out.wide.mirrored) {
      side = "w:top";
    } else if (IsOn(sectPr.child("w:rtlGutter"))) {
      side = "w:right";
    }
    pugi::xml_attribute margin = pgMar.attribute(side);
    if (!margin) margin = pgMar.append_attribute(side);
    const long long was = Twips(margin, 1440);
    // A negative top margin holds however tall the header is; it stays negative.
    margin.set_value(was < 0 ? was - gutter : was + gutter);
    pgMar.attribute("w:gutter").set_value(0);
  }
  const long long shift = std::llabs(pgMar.attribute("w:left").as_llong(1440) -
                                     pgMar.attribute("w:right").as_llong(1440));
  ctx_.out.wide.sideShift = std::max(ctx_.out.wide.sideShift, shift);
}

}  // namespace plenwick::word::engine
