#include "word/engine/Composer.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "word/WordApi.h"
#include "word/engine/Append.h"
#include "word/engine/Binder.h"
#include "word/engine/FieldsAcrossSections.h"
#include "word/engine/Settings.h"
#include "word/package/PartNames.h"

namespace plenwick::word::engine {
namespace {

constexpr std::string_view kDecl =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
const std::string kWml = "application/vnd.openxmlformats-officedocument.wordprocessingml.";
const std::string kRelsNs = "http://schemas.openxmlformats.org/package/2006/relationships";

std::string RootOpen(std::string_view name) {
  return std::string(kDecl) + "<" + std::string(name) + StandardNamespaceDeclarations() +
         " mc:Ignorable=\"" + StandardIgnorable() + "\">";
}

std::string Override(const std::string& part, const std::string& type) {
  return "<Override PartName=\"" + part + "\" ContentType=\"" + type + "\"/>";
}

std::string Rel(const std::string& id, const std::string& type, const std::string& target) {
  return "<Relationship Id=\"" + id + "\" Type=\"" + type + "\" Target=\"" + target + "\"/>";
}

// The parts that come into being with the first document that needs them.
struct LazyPart {
  bool ResultIndex::*flag;
  PieceEntry Composer::*entry;
  const char* partName;
  const char* relType;
  const char* contentType;
  const char* root;
};

// A run with nothing but its properties, as LibreOffice writes one into every empty paragraph.
bool IsEmptyRun(pugi::xml_node run) {
  if (std::string_view(run.name()) != "w:r") return false;
  for (pugi::xml_node c = run.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element && std::string_view(c.name()) != "w:rPr") return false;
  }
  return true;
}

bool IsEmptyParagraph(pugi::xml_node paragraph) {
  for (pugi::xml_node c = paragraph.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element && std::string_view(c.name()) != "w:pPr" && !IsEmptyRun(c)) {
      return false;
    }
  }
  return true;
}

// Whether a child of a paragraph draws nothing: its properties, an empty run, or a mark in the
// text (bookmarks, proofing and permission marks, comment ranges).
bool DrawsNothing(pugi::xml_node child) {
  static constexpr std::string_view kDrawNothing[] = {
      "w:pPr",       "w:bookmarkStart", "w:bookmarkEnd",       "w:proofErr",
      "w:permStart", "w:permEnd",       "w:commentRangeStart", "w:commentRangeEnd"};
  return child.type() != pugi::node_element || IsEmptyRun(child) ||
         std::find(std::begin(kDrawNothing), std::end(kDrawNothing), child.name()) !=
             std::end(kDrawNothing);
}

// Whether a paragraph shows nothing but its mark.
bool ShowsOnlyItsMark(pugi::xml_node paragraph) {
  for (pugi::xml_node c = paragraph.first_child(); c; c = c.next_sibling()) {
    if (!DrawsNothing(c)) return false;
  }
  return true;
}

// A run holding nothing but the end of a field, besides its properties.
bool IsFieldEndRun(pugi::xml_node run) {
  if (std::string_view(run.name()) != "w:r") return false;
  bool end = false;
  for (pugi::xml_node c = run.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element || std::string_view(c.name()) == "w:rPr") continue;
    if (std::string_view(c.name()) != "w:fldChar" ||
        std::string_view(c.attribute("w:fldCharType").value()) != "end") {
      return false;
    }
    end = true;
  }
  return end;
}

// LibreOffice drops a paragraph that shows nothing and ends a section, and with it the line it
// stood on: the page too, where that line had gone onto a page of its own. Word keeps both. One
// space in the mark's own font keeps the paragraph in LibreOffice, and draws nothing in Word:
// the line is as high as the mark alone made it. Marks that are hidden, tracked or framed are
// left as they are, and the space leaves out what would show on it or change what it is
// (underline, highlight, borders, fitted or combined text, math).
void KeepSectionEndLine(pugi::xml_node paragraph) {
  pugi::xml_node pPr = paragraph.child("w:pPr");
  pugi::xml_node mark = pPr.child("w:rPr");
  for (const char* tracked :
       {"w:ins", "w:del", "w:moveFrom", "w:moveTo", "w:vanish", "w:specVanish"}) {
    if (mark.child(tracked)) return;
  }
  if (pPr.child("w:framePr")) return;
  // The space goes before the bookmarks that close the paragraph: LibreOffice moves a bookmark
  // standing before a section end's only text onto the next section's first page.
  pugi::xml_node after = paragraph.last_child();
  while (after && (std::string_view(after.name()) == "w:bookmarkStart" ||
                   std::string_view(after.name()) == "w:bookmarkEnd")) {
    after = after.previous_sibling();
  }
  pugi::xml_node run =
      after ? paragraph.insert_child_after("w:r", after) : paragraph.prepend_child("w:r");
  if (mark) {
    pugi::xml_node rPr = run.append_copy(mark);
    for (const char* shown :
         {"w:rPrChange", "w:u", "w:strike", "w:dstrike", "w:highlight", "w:shd", "w:bdr", "w:em",
          "w:effect", "w:fitText", "w:eastAsianLayout", "w:oMath"}) {
      while (pugi::xml_node c = rPr.child(shown)) rPr.remove_child(c);
    }
    if (!rPr.first_child()) run.remove_child(rPr);
  }
  pugi::xml_node text = run.append_child("w:t");
  text.append_attribute("xml:space").set_value("preserve");
  text.text().set(" ");
}

// Whether the paragraph begins a page: it asks for it, or the paragraph before ends in a page
// break.
bool StartsPage(pugi::xml_node paragraph) {
  if (IsOn(paragraph.child("w:pPr").child("w:pageBreakBefore"))) return true;
  pugi::xml_node before = paragraph.previous_sibling();
  while (before && before.type() != pugi::node_element) before = before.previous_sibling();
  if (!before || std::string_view(before.name()) != "w:p") return false;
  pugi::xml_node run = before.last_child();
  while (run && (run.type() != pugi::node_element || std::string_view(run.name()) != "w:r" ||
                 IsEmptyRun(run))) {
    run = run.previous_sibling();
  }
  pugi::xml_node end = run.last_child();
  while (end && end.type() != pugi::node_element) end = end.previous_sibling();
  return end && std::string_view(end.name()) == "w:br" &&
         std::string_view(end.attribute("w:type").value()) == "page";
}

// Whether a document's body opens with a table that is not floating.
bool OpensWithTableInFlow(const std::vector<std::string>& pieces) {
  if (pieces.empty()) return false;
  std::string_view first = pieces[0];
  if (!first.starts_with("<w:tbl>") && !first.starts_with("<w:tbl ")) return false;
  const std::size_t properties = first.find("</w:tblPr>");
  return first.substr(0, properties).find("<w:tblpPr") == std::string_view::npos;
}

// Whether a document's last paragraph is empty and alone on a blank last page, where a page
// break put it. It stays as it is, and a copy of it ends the section.
bool EndsOnBlankPage(pugi::xml_node last) {
  return IsEmptyParagraph(last) && StartsPage(last);
}

// A bibliography or index often ends in a last paragraph that holds only its field's end. Once
// that paragraph ends a section, LibreOffice sets a table opening the next section lower, by a
// line in the result's default paragraph style. Before such a table the field ends instead with
// the paragraph before, which draws the same in Word, and the section's end is then empty.
// Returns that paragraph before, or none. Nothing moves after a page break that ends it: the
// break tells of the blank page.
pugi::xml_node FieldOpenBefore(pugi::xml_node last) {
  pugi::xml_node before = last.previous_sibling();
  while (before && before.type() != pugi::node_element) before = before.previous_sibling();
  if (!before || std::string_view(before.name()) != "w:p" || StartsPage(last)) return {};
  bool ends = false;
  for (pugi::xml_node c = last.first_child(); c; c = c.next_sibling()) {
    if (IsFieldEndRun(c)) {
      ends = true;
    } else if (!DrawsNothing(c)) {
      return {};
    }
  }
  return ends ? before : pugi::xml_node();
}

// NUMPAGES counts the pages of the whole result. In a document of one section it becomes
// SECTIONPAGES; in one of several, a bookmark at the end of its last paragraph is what it counts
// up to instead: PAGEREF shows the number of the document's last page, which is its page count
// while its numbering starts at 1, never restarts and is decimal. Returns the bookmark's name,
// or "" where NUMPAGES stays (also where the body ends in a table, or in an empty paragraph on a
// page of its own, which is kept apart).
std::string MarkPageCount(AppendContext& ctx, pugi::xml_node body) {
  if (ctx.singleSection || (ctx.binder != nullptr && ctx.binder->options().continuousNumbering)) {
    return {};
  }
  constexpr const char* kCounts =
      ".//w:instrText[contains(., 'NUMPAGES')] | .//w:fldSimple[contains(@w:instr, 'NUMPAGES')]";
  bool counts = static_cast<bool>(body.select_node(kCounts));
  for (const Relationship& r : ctx.src.Rels(ctx.src.mainPart())) {
    if (counts) break;
    if ((r.kind == "header" || r.kind == "footer") && !r.part.empty() && ctx.src.Has(r.part)) {
      counts = static_cast<bool>(ctx.src.Xml(r.part).doc->document_element().select_node(kCounts));
    }
  }
  if (!counts) return {};
  bool firstSection = true;
  auto numbersPlainly = [&](pugi::xml_node sectPr) {
    pugi::xml_node pgNum = sectPr.child("w:pgNumType");
    std::string_view fmt = pgNum.attribute("w:fmt").value();
    pugi::xml_attribute start = pgNum.attribute("w:start");
    const bool plain = (fmt.empty() || fmt == "decimal") &&
                       (!start || (firstSection && std::string_view(start.value()) == "1"));
    firstSection = false;
    return plain;
  };
  for (pugi::xpath_node s : body.select_nodes(".//w:pPr/w:sectPr")) {
    if (!numbersPlainly(s.node())) return {};
  }
  pugi::xml_node last;
  for (pugi::xml_node c = body.last_child(); c; c = c.previous_sibling()) {
    if (c.type() != pugi::node_element) continue;
    if (std::string_view(c.name()) == "w:sectPr") {
      if (!numbersPlainly(c)) return {};
      continue;
    }
    last = c;
    break;
  }
  if (!last || std::string_view(last.name()) != "w:p" || EndsOnBlankPage(last)) return {};
  const std::string name = "_PlwPageCount";
  pugi::xml_node start = last.append_child("w:bookmarkStart");
  start.append_attribute("w:id").set_value("plenwick-page-count");
  start.append_attribute("w:name").set_value(name.c_str());
  last.append_child("w:bookmarkEnd").append_attribute("w:id").set_value("plenwick-page-count");
  return name;
}

// Moves the body's last paragraph out of the pieces: it carries the document's final section
// properties when another document follows.
void PlaceLastParagraph(AppendContext& ctx, pugi::xml_node body, pugi::xml_node sectPr,
                        const XmlPart& main) {
  pugi::xml_node last;
  for (pugi::xml_node c = sectPr.previous_sibling(); c; c = c.previous_sibling()) {
    if (c.type() == pugi::node_element) {
      last = c;
      break;
    }
  }
  pugi::xml_document scratch;
  pugi::xml_node paragraph;
  pugi::xml_node fieldOpen;  // held back with the last paragraph, which ends its field
  bool keepLast = false;
  if (last && std::string_view(last.name()) == "w:p") {
    fieldOpen = FieldOpenBefore(last);
    paragraph = last;
    // An empty paragraph alone on the document's last page stays, and a copy of it ends the
    // section: LibreOffice drops an empty paragraph that only ends a section, and with it the
    // blank page the document ends with. Word shows both on that one page.
    keepLast = EndsOnBlankPage(last);
    if (keepLast) paragraph = scratch.append_copy(last);
  } else {
    // A document that ends in a table or a content control gets a paragraph to end its section.
    paragraph = scratch.append_child("w:p");
  }
  AddPieceNamespaces(paragraph, main);
  std::string held;
  if (fieldOpen) {
    AddPieceNamespaces(fieldOpen, main);
    held = NodeToString(fieldOpen);
  }
  ctx.out.lastParagraph = keepLast ? std::string() : held + NodeToString(paragraph);
  auto joined = [&](bool keepLine, bool endFieldBefore) {
    pugi::xml_document holder;
    pugi::xml_node prior = fieldOpen ? holder.append_copy(fieldOpen) : pugi::xml_node();
    pugi::xml_node copy = holder.append_copy(paragraph);
    if (endFieldBefore) {
      std::vector<pugi::xml_node> ends;
      for (pugi::xml_node c : copy.children()) {
        if (IsFieldEndRun(c)) ends.push_back(c);
      }
      for (pugi::xml_node end : ends) prior.append_move(end);
    }
    if (keepLine) KeepSectionEndLine(copy);
    pugi::xml_node pPr = copy.child("w:pPr");
    if (!pPr) pPr = copy.prepend_child("w:pPr");
    if (pugi::xml_node old = pPr.child("w:sectPr")) pPr.remove_child(old);
    pugi::xml_node place = InsertOrdered(pPr, "w:sectPr", ParagraphPropertyOrder());
    pPr.insert_copy_after(sectPr, place);
    pPr.remove_child(place);
    return (prior ? NodeToString(prior) : std::string()) + NodeToString(copy);
  };
  if (fieldOpen) {
    // Empty before a table in the flow; elsewhere as it was, which keeps its line and page.
    ctx.out.lastParagraphJoined = joined(false, true);
    ctx.out.lastParagraphJoinedKept = joined(false, false);
    body.remove_child(fieldOpen);
  } else {
    ctx.out.lastParagraphJoined = joined(false, false);
    if (paragraph == last && ShowsOnlyItsMark(paragraph)) {
      ctx.out.lastParagraphJoinedKept = joined(true, false);
    }
  }
  if (paragraph == last) body.remove_child(last);
  AddPieceNamespaces(sectPr, main);
  ctx.out.finalSectPr = NodeToString(sectPr);
}

// HTML-style automatic space before is dropped on a document's first paragraph, as a browser
// drops the margin at the top of a page. Once the document follows another in the result its
// first paragraph is no longer first, so the space is stated as none.
void KeepLeadingAutoSpacingNone(pugi::xml_node body) {
  pugi::xml_node first = body.first_child();
  while (first &&
         (first.type() != pugi::node_element || std::string_view(first.name()) == "w:sdt")) {
    first = first.type() == pugi::node_element ? first.child("w:sdtContent").first_child()
                                               : first.next_sibling();
  }
  if (!first || std::string_view(first.name()) != "w:p") return;
  pugi::xml_node spacing = first.child("w:pPr").child("w:spacing");
  pugi::xml_attribute autoBefore = spacing.attribute("w:beforeAutospacing");
  if (!IsOn(autoBefore)) return;
  autoBefore.set_value("0");
  pugi::xml_attribute before = spacing.attribute("w:before");
  if (!before) before = spacing.insert_attribute_before("w:before", autoBefore);
  before.set_value("0");
}

// The document's page colour: six hex digits, or "" for none (or one this cannot state, such as
// a picture or a theme colour alone).
std::string PageColourOf(pugi::xml_node document) {
  std::string_view colour = document.child("w:background").attribute("w:color").value();
  if (colour.size() != 6 || !std::all_of(colour.begin(), colour.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
      })) {
    return "";
  }
  std::string upper(colour);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

std::string DocumentHead(const std::string& pageColour) {
  std::string head = RootOpen("w:document");
  if (!pageColour.empty()) head += "<w:background w:color=\"" + pageColour + "\"/>";
  return head + "<w:body>";
}

void Stage(AppendContext& ctx, std::string_view fileName) {
  SourcePackage& src = ctx.src;
  XmlPart& main = src.Xml(src.mainPart());
  pugi::xml_node body = main.doc->document_element().child("w:body");
  ctx.out.pageColour = PageColourOf(main.doc->document_element());

  // The fixed order in which the kinds are run.
  ctx.theme.Load();
  ctx.styles.Load();
  ctx.tabStops.Load();
  ctx.wide.Load();
  ctx.numbering.Load();
  ctx.footnotes.Load();
  ctx.endnotes.Load();
  ctx.comments.Load();
  ctx.sections.Load();
  ReadAnnotationView(ctx);
  if (ctx.first) AdoptSettings(ctx);
  ctx.out.compatibility = LayoutSettingsOf(ctx);
  ctx.out.eastAsian = EastAsianSettingsOf(ctx);

  // Where page numbers run through the whole result, a document's page count is the result's.
  ctx.singleSection = !body.select_node(".//w:pPr/w:sectPr") &&
                      !(ctx.binder != nullptr && ctx.binder->options().continuousNumbering);
  ctx.pageCountMark = MarkPageCount(ctx, body);
  // Bookmark names are made unique across every story before any story is rewritten.
  ctx.bookmarks.CollectNames(body);
  for (const Relationship& r : src.Rels(src.mainPart())) {
    if ((r.kind == "header" || r.kind == "footer" || r.kind == "footnotes" ||
         r.kind == "endnotes" || r.kind == "comments") &&
        !r.part.empty() && src.Has(r.part)) {
      ctx.bookmarks.CollectNames(src.Xml(r.part).doc->document_element());
    }
  }
  // The body's own section properties belong after its content. Some writers put them first;
  // they still mean the body's last section, so they are moved to the end rather than copied
  // into the result as a second set in the middle of its body.
  std::vector<pugi::xml_node> sections;
  for (pugi::xml_node c : body.children("w:sectPr")) sections.push_back(c);
  pugi::xml_node sectPr;
  if (!sections.empty()) {
    // The body holds one set at most; of several, the last is kept.
    sectPr = sections.back();
    sections.pop_back();
    for (pugi::xml_node extra : sections) body.remove_child(extra);
    body.append_move(sectPr);
  } else {
    sectPr = body.append_child("w:sectPr");
  }

  if (ctx.binder != nullptr) ctx.binder->Prepare(ctx, body, fileName);

  KeepLeadingAutoSpacingNone(body);
  if (!ctx.first && !ctx.singleSection) KeepFirstSectionOnItsPage(body);
  OneContentsPerControl(body);
  if (ctx.sumsParagraphSpacing) ctx.styles.StateSummedSpacing(body);
  if (pugi::xml_node last = sectPr.previous_sibling(); last && !EndsOnBlankPage(last)) {
    ctx.styles.StateStyleAfterPageBreak(last);
  }
  ctx.out.numbersLines = ctx.styles.CountNumberedLines(body);

  RelMapper bodyRels(ctx, src.mainPart(), "/word/document.xml", &ctx.out.documentRels);
  ctx.bodyRels = &bodyRels;
  StoryOptions options;
  options.rels = &bodyRels;
  options.body = true;
  options.paraIds = &ctx.bodyParaIds;
  RewriteStory(ctx, body, options);
  if (ctx.binder != nullptr) ctx.binder->Mark(ctx, body);

  bool progress = true;
  while (progress) {
    progress = false;
    progress |= ctx.footnotes.Drain();
    progress |= ctx.endnotes.Drain();
    progress |= ctx.comments.Drain();
    progress |= ctx.numbering.Drain();
  }
  ctx.comments.Finish();
  ctx.styles.Finish();
  ctx.theme.MergeFonts();

  if (ctx.needsCustomXml) {
    // Content controls bound to custom XML need the data they are bound to.
    for (const Relationship& r : src.Rels(src.mainPart())) {
      if (r.kind != "customXml" || r.part.empty()) continue;
      std::string copied = ctx.parts.Copy(r.part);
      if (!copied.empty()) bodyRels.AddInternal(r.type, copied);
    }
  }

  ctx.bodyRels = nullptr;
  PlaceLastParagraph(ctx, body, sectPr, main);
  body.remove_child(sectPr);
  std::string pieces;
  for (pugi::xml_node c = body.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    AddPieceNamespaces(c, main);
    pieces += NodeToString(c);
  }
  ctx.out.bodyPieces.push_back(std::move(pieces));
}

// Adds a document's weight to its value of a setting that holds for the whole result and makes
// the value with the most weight the result's, or the document's when it is the first; a value
// keeps the result on a tie. Returns whether the result's value changed.
bool Vote(std::map<std::string, std::uint64_t>& weights, std::string& current,
          const std::string& value, std::uint64_t weight, bool first) {
  weights[value] += weight;
  const std::string* best = first ? &value : &current;
  std::uint64_t bestWeight = weights[*best];
  for (const auto& [candidate, w] : weights) {
    if (w > bestWeight) {
      best = &candidate;
      bestWeight = w;
    }
  }
  if (!first && *best == current) return false;
  current = *best;
  return true;
}

}  // namespace

Composer::Composer(Paper paper) {
  bodyHead_.Append(DocumentHead(""));
  pendingLast_ = "<w:p/>";
  pendingJoined_ = pendingLast_;
  finalSectPr_ = blank::SectionProperties(paper);

  contentTypes_.SetHead(
      std::string(kDecl) +
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" "
      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>" +
      Override("/word/document.xml", kWml + "document.main+xml") +
      Override("/word/styles.xml", kWml + "styles+xml") +
      Override("/word/settings.xml", kWml + "settings+xml") +
      Override("/word/fontTable.xml", kWml + "fontTable+xml") +
      Override("/word/theme/theme1.xml",
               "application/vnd.openxmlformats-officedocument.theme+xml") +
      Override("/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml") +
      Override("/docProps/app.xml",
               "application/vnd.openxmlformats-officedocument.extended-properties+xml"));
  contentTypes_.SetTail("</Types>");

  documentRels_.SetHead(std::string(kDecl) + "<Relationships xmlns=\"" + kRelsNs + "\">" +
                        Rel("rId1", kRel + "styles", "styles.xml") +
                        Rel("rId2", kRel + "settings", "settings.xml") +
                        Rel("rId3", kRel + "fontTable", "fontTable.xml") +
                        Rel("rId4", kRel + "theme", "theme/theme1.xml"));
  documentRels_.SetTail("</Relationships>");
  for (PieceEntry* rels :
       {&numberingRels_, &footnotesRels_, &endnotesRels_, &commentsRels_, &fontsRels_}) {
    rels->SetHead(std::string(kDecl) + "<Relationships xmlns=\"" + kRelsNs + "\">");
    rels->SetTail("</Relationships>");
  }

  // The blank document's styles stay until the first document brings its own.
  std::string styles = blank::Styles();
  auto firstStyle = styles.find("<w:style ");
  styles_.SetHead(styles.substr(0, firstStyle));
  styles_.Append(0, styles.substr(firstStyle, styles.size() - firstStyle - 11));
  styles_.SetTail("</w:styles>");
  index.stylesByName["normal"].push_back({"Normal", "paragraph", ""});
  index.stylesByName["default paragraph font"].push_back({"DefaultParagraphFont", "character", ""});
  index.stylesByName["normal table"].push_back({"TableNormal", "table", ""});
  index.stylesByName["no list"].push_back({"NoList", "numbering", ""});
  for (const char* id : {"normal", "defaultparagraphfont", "tablenormal", "nolist"}) {
    index.styleIds.insert(id);
  }
  for (const char* name : {"normal", "default paragraph font", "normal table", "no list"}) {
    index.styleNames.insert(name);
  }
  index.defaultParagraphStyle = "Normal";
  index.defaultTableStyle = "TableNormal";
  {
    pugi::xml_document blankStyles;
    blankStyles.load_string(styles.c_str());
    index.docDefaultsKey = NodeToString(blankStyles.document_element().child("w:docDefaults"));
  }

  std::string fonts = blank::FontTable();
  auto firstFont = fonts.find("<w:font ");
  fonts_.SetHead(fonts.substr(0, firstFont));
  fonts_.Append(0, fonts.substr(firstFont, fonts.size() - firstFont - 10));
  fonts_.SetTail("</w:fonts>");
  for (const char* f : {"Calibri", "Times New Roman", "Calibri Light"}) index.fonts.insert(f);

  settings.load_string(blank::Settings().c_str(), pugi::parse_default);
  pugi::xml_document theme;
  theme.load_string(blank::Theme().c_str());
  index.theme = LookOfTheme(theme, ThemeFontLanguagesOf(settings.document_element()));
  theme_ = std::make_shared<package::RawEntry>(
      package::MakeEntry("word/theme/theme1.xml", blank::Theme()));

  for (const char* name : {"/[content_types].xml",   "/_rels/.rels",
                           "/word/document.xml",     "/word/styles.xml",
                           "/word/settings.xml",     "/word/fonttable.xml",
                           "/word/theme/theme1.xml", "/docprops/core.xml",
                           "/docprops/app.xml",      "/word/numbering.xml",
                           "/word/footnotes.xml",    "/word/endnotes.xml",
                           "/word/comments.xml",     "/word/commentsextended.xml",
                           "/word/commentsids.xml",  "/word/commentsextensible.xml",
                           "/word/people.xml",       "/word/emptyheader.xml",
                           "/word/emptyfooter.xml",  "/word/_rels/document.xml.rels"}) {
    index.partNames.insert(name);
  }

  writer_.AddFixed(package::MakeEntry(
      "_rels/.rels",
      std::string(kDecl) + "<Relationships xmlns=\"" + kRelsNs + "\">" +
          Rel("rId1", kRel + "officeDocument", "word/document.xml") +
          Rel("rId2",
              "http://schemas.openxmlformats.org/package/2006/relationships/metadata/"
              "core-properties",
              "docProps/core.xml") +
          Rel("rId3", kRel + "extended-properties", "docProps/app.xml") + "</Relationships>"));
  writer_.AddFixed(package::MakeEntry("docProps/core.xml", blank::CoreProperties()));
  writer_.AddFixed(package::MakeEntry("docProps/app.xml", blank::AppProperties()));
}

Composer::~Composer() = default;

void Composer::Bind(const BinderOptions& options) {
  binder_ = options.Any() ? std::make_unique<Binder>(options) : nullptr;
  settingsDirty_ = true;
}

void Composer::SetStartPages(std::map<std::string, int> pages) {
  if (!binder_) return;
  binder_->SetStartPages(std::move(pages));
  settingsDirty_ = true;
}

Status Composer::Append(SourcePackage& source, std::string_view fileName) {
  Counters saved = counters;
  Journal journal;
  Staging staging;
  try {
    AppendContext ctx(*this, source, staging, journal, blank_);
    ctx.binder = binder_.get();
    Stage(ctx, fileName);
  } catch (const StageError& e) {
    journal.Undo();
    counters = saved;
    return e.error;
  } catch (const std::bad_alloc&) {
    journal.Undo();
    counters = saved;
    return MakeError(wordc::kTooLarge, "too large: out of memory while appending");
  } catch (const std::exception& e) {
    journal.Undo();
    counters = saved;
    return MakeError(wordc::kDamaged, std::string("damaged: ") + e.what());
  }
  Commit(staging);
  return Ok();
}

void Composer::Commit(Staging& s) {
  std::string text;
  if (!blank_) {
    // LibreOffice lays out a table that opens a section lower, and moves the frames in it, when
    // the paragraph ending the section before holds text: before a document that opens with a
    // table, an empty section end stays empty. A floating table is placed where it says, and
    // LibreOffice drops the section's page before it once the section's end is empty.
    text = pendingJoinedKept_.empty() || OpensWithTableInFlow(s.bodyPieces) ? pendingJoined_
                                                                            : pendingJoinedKept_;
  }
  for (const std::string& piece : s.bodyPieces) text += piece;
  body_.Append(text);
  pendingLast_ = std::move(s.lastParagraph);
  pendingJoined_ = std::move(s.lastParagraphJoined);
  pendingJoinedKept_ = std::move(s.lastParagraphJoinedKept);
  finalSectPr_ = std::move(s.finalSectPr);

  if (!s.stylesHead.empty()) {
    styles_ = PieceEntry("word/styles.xml", 1);
    stylesHeadUncounted_ = std::move(s.stylesHeadUncounted);
    styles_.SetHead(linesNumbered_ ? stylesHeadUncounted_ : s.stylesHead);
    styles_.SetTail("</w:styles>");
  }
  if (s.numbersLines && !linesNumbered_) {
    linesNumbered_ = true;
    styles_.SetHead(stylesHeadUncounted_);
  }
  styles_.Append(0, s.styles);
  fonts_.Append(0, s.fonts);
  fontsRels_.Append(0, s.fontsRels);
  if (s.settings) {
    settings.reset();
    for (pugi::xml_node c : s.settings->children()) settings.append_copy(c);
    settingsDirty_ = true;
  }
  // A page colour holds for the whole file: the result shows one only while every document
  // has the same, since any other would colour the pages of documents that had none.
  std::optional<std::string> pageColour;
  if (blank_) {
    pageColour = s.pageColour;
  } else if (!index.pageColoursDiffer && s.pageColour != index.pageColour) {
    index.pageColoursDiffer = true;
    pageColour = "";
  }
  if (pageColour && *pageColour != index.pageColour) {
    index.pageColour = *pageColour;
    bodyHead_ = CompressedRun();
    bodyHead_.Append(DocumentHead(index.pageColour));
  }
  if (s.evenAndOddHeaders && !index.evenAndOddHeaders) {
    index.evenAndOddHeaders = true;
    settingsDirty_ = true;
  }
  // How much text the document holds, for the settings it shares with the rest of the result.
  std::uint64_t textWeight = TextBytes(pendingLast_);
  std::uint64_t eastAsian = EastAsianCharacters(pendingLast_);
  for (const std::string& piece : s.bodyPieces) {
    textWeight += TextBytes(piece);
    eastAsian += EastAsianCharacters(piece);
  }
  if (CommitDocumentWide(index.wide, s.wide, textWeight + 1, s.settings != nullptr)) {
    settingsDirty_ = true;
  }
  if (CommitAnnotationView(index.annotations, s.annotations, s.settings != nullptr)) {
    settingsDirty_ = true;
  }
  if (s.embedTrueTypeFonts && !index.embedTrueTypeFonts) {
    index.embedTrueTypeFonts = true;
    settingsDirty_ = true;
  }
  if (s.settings) {
    index.view = s.view;
  } else if (s.view != index.view && !index.viewsDiffer) {
    index.viewsDiffer = true;
    settingsDirty_ = true;
  }
  if (s.theme) theme_ = s.theme;
  // Tab stops, hyphenation and compatibility options decide how every page is laid out and
  // hold for the whole result: it takes those under which most of its text was written, and
  // the way of compressing punctuation under which most of its East Asian text was.
  if (index.layout.Add(s.compatibility, textWeight + 1, s.settings != nullptr)) {
    ApplyLayoutSettings(settings, index.layout.Result());
    settingsDirty_ = true;
  }
  if (Vote(index.eastAsianWeight, index.eastAsian, s.eastAsian, eastAsian, s.settings != nullptr)) {
    ApplyEastAsianSettings(settings, index.eastAsian);
    settingsDirty_ = true;
  }

  std::string types = std::move(s.contentTypes);
  std::string rels = std::move(s.documentRels);
  static const LazyPart kLazy[] = {
      {&ResultIndex::numbering, &Composer::numbering_, "numbering.xml", "numbering",
       "numbering+xml", "w:numbering"},
      {&ResultIndex::footnotes, &Composer::footnotes_, "footnotes.xml", "footnotes",
       "footnotes+xml", "w:footnotes"},
      {&ResultIndex::endnotes, &Composer::endnotes_, "endnotes.xml", "endnotes", "endnotes+xml",
       "w:endnotes"},
      {&ResultIndex::comments, &Composer::comments_, "comments.xml", "comments", "comments+xml",
       "w:comments"},
      {&ResultIndex::commentsExtended, &Composer::commentsExtended_, "commentsExtended.xml",
       "http://schemas.microsoft.com/office/2011/relationships/commentsExtended",
       "commentsExtended+xml", "w15:commentsEx"},
      {&ResultIndex::commentsIds, &Composer::commentsIds_, "commentsIds.xml",
       "http://schemas.microsoft.com/office/2016/09/relationships/commentsIds", "commentsIds+xml",
       "w16cid:commentsIds"},
      {&ResultIndex::commentsExtensible, &Composer::commentsExtensible_, "commentsExtensible.xml",
       "http://schemas.microsoft.com/office/2018/08/relationships/commentsExtensible",
       "commentsExtensible+xml", "w16cex:commentsExtensible"},
      {&ResultIndex::people_, &Composer::people_, "people.xml",
       "http://schemas.microsoft.com/office/2011/relationships/people", "people+xml", "w15:people"},
  };
  const std::string* contents[] = {
      nullptr,        &s.footnotes,          &s.endnotes, &s.comments, &s.commentsExtended,
      &s.commentsIds, &s.commentsExtensible, &s.people};
  for (std::size_t i = 0; i < std::size(kLazy); ++i) {
    const LazyPart& lazy = kLazy[i];
    PieceEntry& entry = this->*(lazy.entry);
    bool has = i == 0 ? !(s.abstractNums.empty() && s.nums.empty()) : !contents[i]->empty();
    if (!has || index.*(lazy.flag)) continue;
    index.*(lazy.flag) = true;
    settingsDirty_ = true;
    std::string relType = lazy.relType;
    if (relType.find('/') == std::string::npos) relType = kRel + relType;
    rels += Rel(NewRelId(), relType, lazy.partName);
    types += Override(std::string("/word/") + lazy.partName, kWml + lazy.contentType);
    std::string head = RootOpen(lazy.root);
    if (i == 1 || i == 2) {
      const char* note = i == 1 ? "w:footnote" : "w:endnote";
      for (const char* sep : {"separator", "continuationSeparator"}) {
        head += std::string("<") + note + " w:type=\"" + sep + "\" w:id=\"" +
                (std::string_view(sep) == "separator" ? "-1" : "0") +
                "\"><w:p><w:pPr><w:spacing w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/>"
                "</w:pPr><w:r><w:" +
                sep + "/></w:r></w:p></" + note + ">";
      }
    }
    entry.SetHead(head);
    entry.SetTail(std::string("</") + lazy.root + ">");
  }
  numbering_.Append(0, s.picBullets);
  numbering_.Append(1, s.abstractNums);
  numbering_.Append(2, s.nums);
  numberingRels_.Append(0, s.numberingRels);
  footnotes_.Append(0, s.footnotes);
  footnotesRels_.Append(0, s.footnotesRels);
  endnotes_.Append(0, s.endnotes);
  endnotesRels_.Append(0, s.endnotesRels);
  comments_.Append(0, s.comments);
  commentsRels_.Append(0, s.commentsRels);
  commentsExtended_.Append(0, s.commentsExtended);
  commentsIds_.Append(0, s.commentsIds);
  commentsExtensible_.Append(0, s.commentsExtensible);
  people_.Append(0, s.people);
  documentRels_.Append(0, rels);
  contentTypes_.Append(0, types);
  for (package::RawEntry& e : s.fixed) {
    // Names come from the result's index of part names, so a clash cannot happen; the very
    // same part added twice is kept once.
    [[maybe_unused]] const bool added = writer_.AddFixed(std::move(e));
    assert(added);
  }
  if (binder_) binder_->Commit(std::move(s.bound));
  blank_ = false;
  ++documents_;
}

std::vector<package::RawEntry> Composer::ChangingEntries() {
  std::vector<package::RawEntry> out;
  out.push_back(contentTypes_.Entry());
  CompressedRun tail;
  tail.Append(pendingLast_ + finalSectPr_ + "</w:body></w:document>");
  // The contents page is rebuilt for every save, so with one only the body head stays and the
  // document is written whole each time; without one (bookmarks and page numbers alone) it
  // grows at its end like a plain join's.
  if (binder_ && binder_->options().contents) {
    const CompressedRun contents = binder_->ContentsPage();
    out.push_back(document_.Build("word/document.xml", {&bodyHead_, &contents, &body_, &tail}));
  } else {
    out.push_back(document_.Build("word/document.xml", {&bodyHead_, &body_, &tail}, 2));
  }
  out.push_back(documentRels_.Entry());
  out.push_back(styles_.Entry());
  if (settingsDirty_) {
    ApplyEvenAndOddHeaders(settings, index.evenAndOddHeaders);
    ApplyDocumentWide(settings, index.wide);
    ApplyAnnotationView(settings, index.annotations);
    if (index.embedTrueTypeFonts) AskForEmbeddedFonts(settings);
    if (index.endnotes) PlaceEndnotesAtSectionEnds(settings);
    if (index.viewsDiffer) OpenInPrintLayout(settings);
    if (binder_) AskToUpdateFields(settings, binder_->WantsFieldsUpdated());
    settingsEntry_ = package::MakeEntry("word/settings.xml", DocumentToString(settings));
    settingsDirty_ = false;
  }
  out.push_back(settingsEntry_);
  out.push_back(fonts_.Entry());
  if (fontsRels_.HasContent()) out.push_back(fontsRels_.Entry());
  out.push_back(*theme_);
  if (index.numbering) {
    out.push_back(numbering_.Entry());
    if (numberingRels_.HasContent()) out.push_back(numberingRels_.Entry());
  }
  if (index.footnotes) {
    out.push_back(footnotes_.Entry());
    if (footnotesRels_.HasContent()) out.push_back(footnotesRels_.Entry());
  }
  if (index.endnotes) {
    out.push_back(endnotes_.Entry());
    if (endnotesRels_.HasContent()) out.push_back(endnotesRels_.Entry());
  }
  if (index.comments) {
    out.push_back(comments_.Entry());
    if (commentsRels_.HasContent()) out.push_back(commentsRels_.Entry());
  }
  if (index.commentsExtended) out.push_back(commentsExtended_.Entry());
  if (index.commentsIds) out.push_back(commentsIds_.Entry());
  if (index.commentsExtensible) out.push_back(commentsExtensible_.Entry());
  if (index.people_) out.push_back(people_.Entry());
  return out;
}

Status Composer::Save(const std::string& path, package::SaveMode mode) {
  try {
    writer_.Wait();
    return writer_.Save(path, ChangingEntries(), mode);
  } catch (const std::bad_alloc&) {
    return MakeError(wordc::kWriteFailed, "could not save " + path + ": out of memory");
  }
}

Status Composer::StartSave(const std::string& path) {
  try {
    // The entries are built once the last save let go of them: the builders then add to the
    // bytes they kept instead of copying them.
    writer_.Wait();
    writer_.Start(path, ChangingEntries());
    return Ok();
  } catch (const std::bad_alloc&) {
    return MakeError(wordc::kWriteFailed, "could not save " + path + ": out of memory");
  }
}

Status Composer::FinishSaving() {
  return writer_.Finish();
}

}  // namespace plenwick::word::engine
