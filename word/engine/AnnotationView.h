// Which tracked changes and comments a result shows. Word shows or hides each kind for the
// whole document (settings' w:revisionView), so a document that hid its tracked changes would
// show them after a first document that did not, and the reverse. A kind shows as the first
// document holding that kind asked: a document without tracked changes cannot tell.
#pragma once

#include <optional>

#include <pugixml.hpp>

namespace plenwick::word::engine {

struct AppendContext;

// What one document holds and shows, staged with the rest of its append.
struct AnnotationView {
  bool holdsInsDel = false;      // insertions, deletions, moves
  bool holdsFormatting = false;  // tracked changes of properties
  bool holdsComments = false;
  bool showsInsDel = true;
  bool showsFormatting = true;
  bool showsComments = true;
  bool showsInk = true;
};

// What the result shows of each kind; unset until a document holding it was joined.
struct AnnotationViewIndex {
  std::optional<bool> insDel, formatting, comments;
  bool ink = true;  // the first document's: ink is not looked for
};

// Reads what the document's settings show (into the staging area).
void ReadAnnotationView(AppendContext& ctx);
// Takes a committed document's view into the result's; returns whether the result's changed.
bool CommitAnnotationView(AnnotationViewIndex& index, const AnnotationView& staged, bool first);
// Writes the result's view into its settings: nothing where every kind shows.
void ApplyAnnotationView(pugi::xml_document& settings, const AnnotationViewIndex& index);

}  // namespace plenwick::word::engine
