#include "word/engine/AnnotationView.h"

#include <string_view>

#include "word/engine/Append.h"
#include "word/engine/Xml.h"

namespace plenwick::word::engine {

void ReadAnnotationView(AppendContext& ctx) {
  AnnotationView& view = ctx.out.annotations;
  const Relationship* rel = ctx.src.RelOfKind(ctx.src.mainPart(), "settings");
  if (rel == nullptr || rel->part.empty() || !ctx.src.Has(rel->part)) return;
  pugi::xml_node shown = ctx.src.Xml(rel->part).doc->document_element().child("w:revisionView");
  if (!shown) return;
  // An attribute left out shows its kind; markup off hides every kind.
  auto shows = [&shown](const char* name) {
    pugi::xml_attribute a = shown.attribute(name);
    return !a || IsOn(a);
  };
  const bool markup = shows("w:markup");
  view.showsInsDel = markup && shows("w:insDel");
  view.showsFormatting = markup && shows("w:formatting");
  view.showsComments = markup && shows("w:comments");
  view.showsInk = markup && shows("w:inkAnnotations");
}

bool CommitAnnotationView(AnnotationViewIndex& index, const AnnotationView& staged, bool first) {
  bool changed = false;
  auto decide = [&changed](std::optional<bool>& kind, bool holds, bool shows) {
    if (kind || !holds) return;
    kind = shows;
    changed = changed || !shows;
  };
  if (first) {
    index = AnnotationViewIndex{};
    index.ink = staged.showsInk;
    changed = true;
  }
  decide(index.insDel, staged.holdsInsDel, staged.showsInsDel);
  decide(index.formatting, staged.holdsFormatting, staged.showsFormatting);
  decide(index.comments, staged.holdsComments, staged.showsComments);
  return changed;
}

}  // namespace plenwick::word::engine
