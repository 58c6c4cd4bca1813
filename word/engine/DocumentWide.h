// Settings that hold for the whole result although each document set its own: hyphenation and
// mirrored margins. What a document can state for itself (a paragraph's hyphenation, a section's
// gutter) it states; what it cannot, the result decides once and keeps.
#pragma once

#include <pugixml.hpp>

namespace plenwick::word::engine {

struct AppendContext;

// What one document says, staged with the rest of its append.
struct DocumentWideStaged {
  bool hyphenates = false;   // w:autoHyphenation on
  bool mirrored = false;     // w:mirrorMargins on
  bool sidesDiffer = false;  // a section's left and right margins differ: mirroring would show
};

// What the result decided.
struct DocumentWideIndex {
  bool hyphenates = false;  // the first document's: nothing already joined may change
  bool mirrored = false;
  bool mirrorDecided = false;  // a document on which mirroring shows chose it
};

// Takes a committed document's settings into the result's decisions; returns whether the
// result's settings changed.
bool CommitDocumentWide(DocumentWideIndex& index, const DocumentWideStaged& staged, bool first);
// Writes the decisions into the result's settings.
void ApplyDocumentWide(pugi::xml_document& settings, const DocumentWideIndex& index);

class DocumentWideKeeper {
 public:
  explicit DocumentWideKeeper(AppendContext& ctx) : ctx_(ctx) {}
  void Load();
  // A paragraph of a document that did not hyphenate says so where the result hyphenates.
  void State(pugi::xml_node paragraph) const;
  // The gutter becomes part of the margin it widened, so the result's gutter position cannot
  // move it; notes whether mirroring would show on the section.
  void Section(pugi::xml_node sectPr);

 private:
  AppendContext& ctx_;
  bool gutterAtTop_ = false;
  bool suppressHyphens_ = false;
};

}  // namespace plenwick::word::engine
