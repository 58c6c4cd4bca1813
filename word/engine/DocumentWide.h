// Settings that hold for the whole result although each document set its own: hyphenation and
// mirrored margins. What a document can state for itself (a paragraph's hyphenation, a section's
// gutter) it states; what it cannot, the result decides once and keeps.
#pragma once

#include <cstdint>

#include <pugixml.hpp>

namespace plenwick::word::engine {

struct AppendContext;

// What one document says, staged with the rest of its append.
struct DocumentWideStaged {
  bool hyphenates = false;  // w:autoHyphenation on
  bool mirrored = false;    // w:mirrorMargins on
  // The most a section's left and right margins differ, in twips: how far mirroring, or its
  // absence, moves the document's even pages.
  long long sideShift = 0;
};

// What the result decided.
struct DocumentWideIndex {
  bool hyphenates = false;  // the first document's: nothing already joined may change
  bool mirrored = false;
  // The text whose even pages mirroring would move, times how far, of the documents that
  // mirror and of those that do not.
  std::uint64_t mirroredWeight = 0, plainWeight = 0;
};

// Takes a committed document's settings, and the weight of its text, into the result's
// decisions; returns whether the result's settings changed.
bool CommitDocumentWide(DocumentWideIndex& index, const DocumentWideStaged& staged,
                        std::uint64_t textWeight, bool first);
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
