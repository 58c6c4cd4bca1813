// One append in progress: the source, the staging area, and the remap tables of each kind of
// reference. Every kind has exactly one owner here; the story rewriter only dispatches to them.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "word/engine/ThemeColours.h"

#include "word/engine/Composer.h"
#include "word/engine/ParagraphIds.h"
#include "word/engine/SourcePackage.h"
#include "word/engine/StyleIndex.h"

namespace plenwick::word::engine {

struct AppendContext;

// A document's paragraph ids in one part of the result, given back if its append fails.
ParagraphIds ParagraphIdsOf(AppendContext& ctx, ParagraphIdSet& taken);

// Copies parts the document refers to (pictures, charts, diagrams, embedded objects, headers)
// under fresh names, with their own relationships; identical leaf parts are stored once.
class PartCopier {
 public:
  explicit PartCopier(AppendContext& ctx) : ctx_(ctx) {}
  // The result's name of a copied part ("/word/media/image3.png"); "" when the source part is
  // missing or unsafe.
  std::string Copy(const std::string& sourcePart);
  // A fresh part name in the result shaped like `like`.
  std::string FreshName(const std::string& like);
  void AddOverride(const std::string& part, const std::string& contentType);
  // Writes the relationships part of a copied part, keeping the source ids; `themeOverride`,
  // when set, is a result part the copy takes as its theme override.
  void CopyRelsKeepingIds(const std::string& sourcePart, const std::string& resultPart,
                          const std::string& themeOverride = {});
  void AddFixed(const std::string& part, std::string bytes);

 private:
  // Whether a part is a chart that Word colours from the theme of the document it sits in,
  // which a theme override of its own replaces.
  bool TakesThemeOverride(const std::string& sourcePart, std::string_view contentType) const;
  // The result's part holding this document's theme as a chart's override, written once.
  const std::string& ThemeOverridePart();
  // Whether a part draws with the theme's colours and fonts that the result's theme would change.
  bool DrawsWithOwnTheme(const std::string& sourcePart, std::string_view contentType) const;
  // The part with its theme colours and fonts stated as those of its document's theme.
  std::string WithOwnTheme(const std::string& sourcePart);

  AppendContext& ctx_;
  std::map<std::string, std::string> copied_;  // source part -> result part
  std::string themeOverride_;                  // result part, once written
};

// Maps the relationship ids of one source part that is merged into one result part (the main
// text into the document, notes into the notes part, ...).
class RelMapper {
 public:
  RelMapper(AppendContext& ctx, std::string sourcePart, std::string resultPart,
            std::string* relsOut)
      : ctx_(ctx),
        sourcePart_(std::move(sourcePart)),
        resultPart_(std::move(resultPart)),
        out_(relsOut) {}
  // The result id, or "" when the source relationship is missing or points nowhere.
  std::string Map(const std::string& id);
  // Adds a relationship to a result part already copied.
  std::string AddInternal(const std::string& type, const std::string& resultTargetPart);

 private:
  AppendContext& ctx_;
  std::string sourcePart_, resultPart_;
  std::string* out_;
  std::map<std::string, std::string> ids_;
};

struct CellProperty;  // a paragraph property a table style can set

class StyleMapper {
 public:
  explicit StyleMapper(AppendContext& ctx) : ctx_(ctx) {}
  void Load();
  // The result id of a source style id; "" when the source has no such style.
  std::string Map(const std::string& id);
  // The result style a paragraph without pStyle must name so it keeps its look; "" when the
  // result's default paragraph style already is that look.
  const std::string& ParagraphDefault() const { return paragraphDefault_; }
  const std::string& TableDefault() const { return tableDefault_; }
  // Called on a table before its styles are mapped: where this document's defaults were carried
  // into its paragraph styles, those would now outrank the table style's paragraph properties,
  // so cell paragraphs state the table style's spacing, indents and alignment themselves, as
  // the style's whole table and the conditional formats that reach their cell give them.
  void KeepTableParagraphLook(pugi::xml_node table);
  // Called on a table of a document laid out by an older Word, which indents a table so that
  // its text, not its edge, stands at the indent: the indent is made the edge's.
  void KeepTableIndent(pugi::xml_node table) const;
  // For a document whose spaces between paragraphs add up, where the result takes the larger of
  // the two: each body paragraph's space before becomes the sum it had.
  void StateSummedSpacing(pugi::xml_node story) const;
  void Finish();
  // The source styles a paragraph takes its properties from, its own style first; a paragraph
  // without one has the document's default paragraph style.
  std::vector<pugi::xml_node> ParagraphChain(pugi::xml_node paragraph) const;
  // Where a paragraph states only part of its indent, states the other parts as its own style
  // chain gives them, so that no reader takes them from the paragraph before.
  void StateWholeIndent(pugi::xml_node paragraph) const;
  // Where a paragraph breaks the page before text of its own and is not in the result's default
  // style, states its style's look of the text on the runs from the break on.
  void StateStyleAfterPageBreak(pugi::xml_node paragraph);
  // Where a text box paragraph's style gives its text another colour than the result's
  // defaults, states that colour on its runs, which LibreOffice otherwise takes from the
  // result's defaults.
  void StateTextBoxColour(pugi::xml_node paragraph) const;
  // Word draws line numbers in the character style named "line number", which no text names:
  // a document that numbers its lines brings its own along, unless the result has one already.
  void KeepLineNumberStyle();
  // Once a document numbers lines, the result's defaults leave paragraphs out of the count (see
  // LineNumbers.cpp): each paragraph of a section with numbered lines that leaves its count to
  // the defaults says it is counted. Returns whether any section numbers lines.
  bool CountNumberedLines(pugi::xml_node body) const;
  // The same for every paragraph of a note of a document that numbers lines.
  void CountNoteLines(pugi::xml_node note) const;

 private:
  bool TableStylesIndent() const;  // whether any table style sets its text's indent
  // States that a paragraph is counted, where its style chain and defaults leave it to them.
  void StateLinesCounted(pugi::xml_node paragraph) const;
  std::string MapOne(pugi::xml_node style);
  // The element of the source style `id`, or of a style it is based on, that sets `property`.
  // The first node `find` gives for the source style `id` or a style it is based on.
  pugi::xml_node FindInChain(std::string id,
                             const std::function<pugi::xml_node(pugi::xml_node style)>& find) const;
  pugi::xml_node ChainSetting(std::string id, const CellProperty& property) const;
  // What a table's style may give the cells of this document's default paragraph style over
  // that style's own, with the style's own value: its font size when that is 11 or 12 pt, its
  // justification when that is left.
  std::vector<std::pair<const CellProperty*, std::string>> OverDefaultStyle(
      pugi::xml_node table) const;
  // Gives a cell paragraph `property` with `value` where neither it nor its runs set it.
  void GiveUnset(pugi::xml_node paragraph, const std::vector<pugi::xml_node>& runs,
                 const CellProperty& property, pugi::xml_node value) const;
  // One container's paragraphs; the cells and content controls inside it go onto `inner`.
  void StateSummedSpacing(pugi::xml_node container, const std::string& tableStyle,
                          std::vector<std::pair<pugi::xml_node, std::string>>& inner) const;
  long SpacingOf(pugi::xml_node paragraph, const std::string& tableStyle, const char* side,
                 const char* autoSide) const;
  std::string SourceDefault(const std::string& type) const;  // the source's default style id
  void BuildEffectiveDefaults();
  AppendContext& ctx_;
  pugi::xml_document effective_;
  pugi::xml_node stylesRoot_;
  std::shared_ptr<const StyleIndex> index_ = std::make_shared<const StyleIndex>();
  std::map<std::string, std::string> mapped_;
  std::set<std::string> inProgress_;
  std::vector<std::pair<pugi::xml_node, std::string>> added_;  // style node, result id
  std::vector<std::shared_ptr<pugi::xml_document>> holders_;
  const XmlPart* part_ = nullptr;
  pugi::xml_node docDefaults_;
  pugi::xml_document resultColour_;  // the result's default text colour, when it is not ours
  bool mergeDefaults_ = false;
  std::string paragraphDefault_, tableDefault_;
  mutable std::optional<bool> tableStylesIndent_;
};

class NumberingMapper {
 public:
  explicit NumberingMapper(AppendContext& ctx) : ctx_(ctx) {}
  void Load();
  std::string MapNum(const std::string& numId);  // "0" stays "0"
  std::string MapPicBullet(const std::string& id);
  bool Drain();  // writes queued definitions; true when it did anything
  // The source's level `ilvl` of list `numId` (an override's before its definition's), or null.
  pugi::xml_node Level(const std::string& numId, const std::string& ilvl) const;
  bool HasLists() const { return !nums_.empty(); }

 private:
  std::string MapAbstract(const std::string& abstractId);
  AppendContext& ctx_;
  pugi::xml_node root_;
  std::map<std::string, pugi::xml_node> nums_, abstracts_, picBullets_;
  std::map<std::string, std::string> numMap_, abstractMap_, picMap_;
  std::deque<std::pair<pugi::xml_node, std::string>> queue_;  // node, new id
  std::unique_ptr<RelMapper> rels_;
  pugi::xml_document scratch_;
  const XmlPart* part_ = nullptr;
};

class NoteMapper {
 public:
  NoteMapper(AppendContext& ctx, bool endnotes);
  void Load();
  std::string Map(const std::string& id);  // "" when the note does not exist
  bool Drain();
  bool HasNotes() const { return !notes_.empty(); }

 private:
  AppendContext& ctx_;
  bool endnotes_;
  ParagraphIds paraIds_;
  std::map<std::string, pugi::xml_node> notes_;
  std::map<std::string, std::string> map_;
  std::deque<std::pair<pugi::xml_node, std::string>> queue_;
  std::unique_ptr<RelMapper> rels_;
  const XmlPart* part_ = nullptr;
  pugi::xml_document scratch_;
};

class CommentMapper {
 public:
  explicit CommentMapper(AppendContext& ctx);
  void Load();
  std::string Map(const std::string& id);
  std::string MapParaId(const std::string& paraId);
  bool Drain();
  void Finish();  // extended parts, people

 private:
  AppendContext& ctx_;
  ParagraphIds paraIdSpace_;
  std::map<std::string, pugi::xml_node> comments_;
  std::map<std::string, std::string> map_, paraIds_, durableIds_;
  std::deque<std::pair<pugi::xml_node, std::string>> queue_;
  std::unique_ptr<RelMapper> rels_;
  const XmlPart* part_ = nullptr;
  std::string commentsPart_;
};

// Bookmark ids (per story) and names (document-wide), and the fields and links that name them.
class BookmarkMapper {
 public:
  explicit BookmarkMapper(AppendContext& ctx) : ctx_(ctx) {}
  void CollectNames(pugi::xml_node root);  // before any story is rewritten
  // Stories nest (a header is rewritten in the middle of the main text): each has its own ids.
  struct StoryIds {
    std::map<std::string, std::string> mapped;
    std::map<std::string, int> dropped;  // repeated starts whose ends are still to come
  };
  StoryIds BeginStory() { return std::exchange(story_, {}); }
  void EndStory(StoryIds outer) { story_ = std::move(outer); }
  // Whether a bookmarkStart or bookmarkEnd stays: a name the document already used is dropped
  // with its end, as Word keeps only the first bookmark of a name.
  bool Keeps(pugi::xml_node node);
  std::string MapId(const std::string& id);
  std::string MapName(const std::string& name) const;
  std::string RewriteInstruction(const std::string& instr) const;
  // Whether field instructions need rewriting at all.
  bool RewritesFields() const;

 private:
  AppendContext& ctx_;
  StoryIds story_;
  std::map<std::string, std::string> renames_;  // folded old name -> new name
  std::set<std::string> started_;               // folded names this document has started
};

// Whether a field instruction shows a property of the document it is in (SAVEDATE, AUTHOR,
// DOCPROPERTY...), which a join must not replace with the result's own.
bool ShowsSourceProperty(std::string_view instr);

class ThemeMapper {
 public:
  explicit ThemeMapper(AppendContext& ctx) : ctx_(ctx) {}
  void Load();  // compares the source's theme with the result's
  // Whether the theme's fonts or colours differ from the result's.
  bool Differs() const { return differs_; }
  // Whether its lines, fills and effects do.
  bool FormatsDiffer() const { return formatsDiffer_; }
  void ConvertFonts(pugi::xml_node rFonts) const;
  // States the theme colours an element names as the colours of the document's own theme.
  void ConvertColour(pugi::xml_node node) const { colours_.StateOwn(node); }
  // States the theme colours and fonts of a drawing part (a chart, a diagram) as those of the
  // document's own theme.
  void ConvertDrawing(pugi::xml_node root) const;
  // States what a shape's style takes from the document's own theme (ShapeStyle.h), where the
  // formats differ.
  void StateShapeStyle(pugi::xml_node shape) const;
  // The document's own colour, font and format schemes as a theme override part's XML.
  std::string OverrideXml();
  void MergeFonts();  // the font table

 private:
  AppendContext& ctx_;
  ThemeLook look_;
  ThemeColours colours_;
  // The document's own format scheme, read when a shape first asks for it.
  pugi::xml_node Formats() const;

  std::string part_;  // the source's theme part, "" when it has none
  bool differs_ = false;
  bool formatsDiffer_ = false;
  mutable std::unique_ptr<pugi::xml_document> blankTheme_;  // when the source has none
};

class SectionMapper {
 public:
  explicit SectionMapper(AppendContext& ctx) : ctx_(ctx) {}
  void Load();
  // Rewrites one section's properties: headers and footers explicit, first section on a new
  // page with its own page numbers.
  void Rewrite(pugi::xml_node sectPr);

 private:
  // Whether the source part is a header (a footer) that can be copied.
  bool Usable(const std::string& sourcePart, bool footer);
  // The source part's tree, rewritten for the result the first time it is asked for.
  pugi::xml_document& Prepared(const std::string& sourcePart);
  std::string HeaderPart(const std::string& sourcePart, bool footer);
  std::string EmptyPart(bool footer);
  // The part copied with `gap` twips of blank space before its content (after it, for a footer).
  std::string GappedPart(const std::string& sourcePart, bool footer, long gap);
  void FitEmptyIntoMargin(pugi::xml_node sectPr, bool footer);
  struct KindPlan {
    bool emptyWouldPush = false;  // an empty part would push the text of some pages
    long gap = 0;                 // twips the real parts open with, the distance moving up
  };
  KindPlan Plan(pugi::xml_node sectPr, bool footer, bool titlePg) const;
  static bool EmptyWouldPush(pugi::xml_node sectPr, bool footer);
  void StateNotes(pugi::xml_node sectPr, const char* name, pugi::xml_node fromSettings, bool first);
  AppendContext& ctx_;
  pugi::xml_node footnotePr_, endnotePr_;
  bool evenAndOdd_ = false;
  bool firstSection_ = true;
  std::map<std::string, std::string> current_;  // "h:default" -> source part
  std::map<std::string, std::string> copied_;   // source header part (folded) -> result part
  std::map<std::pair<std::string, long>, std::string> gapped_;  // (source part, gap) -> part
  std::set<std::string> prepared_;  // source header parts (folded) rewritten for the result
};

// Default tab stops hold for the whole result, which takes the first document's interval. A
// later document with another interval keeps its own: each of its paragraphs that holds a tab,
// in its text or after a list number, states the stops its interval puts after the paragraph's
// last stop of its own.
class TabStopKeeper {
 public:
  explicit TabStopKeeper(AppendContext& ctx) : ctx_(ctx) {}
  void Load();
  // Called on a paragraph before its style is mapped.
  void State(pugi::xml_node paragraph) const;

 private:
  AppendContext& ctx_;
  long interval_ = 0;  // the document's interval, when it differs from the result's
  long reach_ = 0;     // where stops end: the right margin of the document's widest text
};

struct StoryOptions {
  RelMapper* rels = nullptr;        // null: relationship ids are kept (the part is copied whole)
  bool body = false;                // sections are rewritten
  bool comments = false;            // comment paragraph ids are renumbered
  ParagraphIds* paraIds = nullptr;  // the part's paragraph ids, when it joins documents' stories
};

// Walks one story (the main text, a header, a note, a comment, a style) once and hands every
// reference to its owner.
void RewriteStory(AppendContext& ctx, pugi::xml_node root, const StoryOptions& options);

struct AppendContext {
  AppendContext(Composer& r, SourcePackage& s, Staging& o, Journal& j, bool isFirst)
      : result(r),
        src(s),
        out(o),
        journal(j),
        first(isFirst),
        parts(*this),
        styles(*this),
        numbering(*this),
        footnotes(*this, false),
        endnotes(*this, true),
        comments(*this),
        bookmarks(*this),
        theme(*this),
        sections(*this),
        tabStops(*this),
        wide(*this),
        bodyParaIds(ParagraphIdsOf(*this, r.index.bodyParaIds)) {}

  Composer& result;
  SourcePackage& src;
  Staging& out;
  Journal& journal;
  bool first;
  bool needsCustomXml = false;
  RelMapper* bodyRels = nullptr;   // the main text's, while it is rewritten
  const Binder* binder = nullptr;  // set when the result is a binder
  bool singleSection = false;
  // The bookmark at the end of a document of several sections that NUMPAGES in it counts up to
  // instead ("" where it still counts the result's pages).
  std::string pageCountMark;
  bool sumsParagraphSpacing = false;  // the source adds up the spaces between paragraphs
  bool olderLayout = false;           // the source was laid out by a Word before 2013
  // The source left on the rule by which a default paragraph style of 11 or 12 pt, or of left
  // justification, does not override a table style's font size or justification in its cells.
  bool defaultStyleYieldsToTableStyles = true;

  PartCopier parts;
  StyleMapper styles;
  NumberingMapper numbering;
  NoteMapper footnotes;
  NoteMapper endnotes;
  CommentMapper comments;
  BookmarkMapper bookmarks;
  ThemeMapper theme;
  SectionMapper sections;
  TabStopKeeper tabStops;
  DocumentWideKeeper wide;
  ParagraphIds bodyParaIds;
};

// The next id of a counter, journalled so a failed append gives it back.
long NextId(AppendContext& ctx, long Counters::*counter);
// Inserts into an index set, journalled.
void JournalInsert(AppendContext& ctx, std::set<std::string>& set, const std::string& key);

std::string Fold(std::string_view text);
// The languages whose script fonts a document's theme fonts stand for.
struct ThemeFontLanguages {
  std::string eastAsia, bidi;
};
ThemeFontLanguages ThemeFontLanguagesOf(pugi::xml_node settingsRoot);
ThemeLook LookOfTheme(const pugi::xml_document& theme, const ThemeFontLanguages& languages);
std::span<const char* const> ParagraphPropertyOrder();
// Makes a styles part's paragraph defaults leave paragraphs out of line numbering.
void LeaveLinesUncounted(pugi::xml_node docDefaults);
std::span<const char* const> SectionPropertyOrder();

}  // namespace plenwick::word::engine
