// Footnotes and endnotes: the notes a document refers to are renumbered from the result's
// running counter; the separators are the result's own.
#include "word/engine/Append.h"

namespace plenwick::word::engine {
namespace {

// Word ends every note with a paragraph, after a table too. LibreOffice reads a note that ends
// in a table (as another writer left it) as plain paragraphs, and lays out the rest of the
// result differently from there on: such a note gets the paragraph Word shows, in the style of
// the note's text.
void EndWithParagraph(pugi::xml_node note) {
  pugi::xml_node last = note.last_child();
  while (last && last.type() != pugi::node_element) last = last.previous_sibling();
  if (!last || std::string_view(last.name()) != "w:tbl") return;
  pugi::xml_node style = note.child("w:p").child("w:pPr").child("w:pStyle");
  pugi::xml_node paragraph = note.append_child("w:p");
  if (style) paragraph.append_child("w:pPr").append_copy(style);
}

}  // namespace

NoteMapper::NoteMapper(AppendContext& ctx, bool endnotes)
    : ctx_(ctx),
      endnotes_(endnotes),
      paraIds_(ParagraphIdsOf(
          ctx, endnotes ? ctx.result.index.endnoteParaIds : ctx.result.index.footnoteParaIds)) {}

void NoteMapper::Load() {
  const char* kind = endnotes_ ? "endnotes" : "footnotes";
  const Relationship* rel = ctx_.src.RelOfKind(ctx_.src.mainPart(), kind);
  if (rel == nullptr || rel->part.empty() || !ctx_.src.Has(rel->part)) return;
  XmlPart& part = ctx_.src.Xml(rel->part);
  part_ = &part;
  const char* element = endnotes_ ? "w:endnote" : "w:footnote";
  for (pugi::xml_node n : part.doc->document_element().children(element)) {
    std::string_view type = n.attribute("w:type").value();
    if (!type.empty() && type != "normal") continue;  // separators: the result has its own
    notes_[n.attribute("w:id").value()] = n;
  }
  rels_ = std::make_unique<RelMapper>(ctx_, rel->part,
                                      endnotes_ ? "/word/endnotes.xml" : "/word/footnotes.xml",
                                      endnotes_ ? &ctx_.out.endnotesRels : &ctx_.out.footnotesRels);
}

std::string NoteMapper::Map(const std::string& id) {
  auto known = map_.find(id);
  if (known != map_.end()) return known->second;
  auto node = notes_.find(id);
  if (node == notes_.end()) return map_[id] = "";
  std::string fresh =
      std::to_string(NextId(ctx_, endnotes_ ? &Counters::endnote : &Counters::footnote));
  map_[id] = fresh;
  queue_.emplace_back(node->second, fresh);
  return fresh;
}

bool NoteMapper::Drain() {
  bool any = false;
  while (!queue_.empty()) {
    any = true;
    auto [note, fresh] = queue_.front();
    queue_.pop_front();
    note.attribute("w:id").set_value(fresh.c_str());
    EndWithParagraph(note);
    StoryOptions options;
    options.rels = rels_.get();
    options.paraIds = &paraIds_;
    if (ctx_.sumsParagraphSpacing) ctx_.styles.StateSummedSpacing(note);
    if (ctx_.out.numbersLines) ctx_.styles.CountNoteLines(note);
    RewriteStory(ctx_, note, options);
    AddPieceNamespaces(note, *part_);
    (endnotes_ ? ctx_.out.endnotes : ctx_.out.footnotes) += NodeToString(note);
  }
  return any;
}

}  // namespace plenwick::word::engine
