#include "word/engine/Binder.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "word/engine/Append.h"
#include "word/engine/Xml.h"

namespace plenwick::word::engine {
namespace {

// Word refuses longer bookmark names.
constexpr std::size_t kMaxBookmarkChars = 40;

bool IsAsciiAlpha(unsigned char c) {
  return c < 0x80 && std::isalpha(c) != 0;
}

// The first `chars` characters of UTF-8 text (a continuation byte starts none).
std::string FirstChars(std::string_view text, std::size_t chars) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && n++ == chars) {
      return std::string(text.substr(0, i));
    }
  }
  return std::string(text);
}

std::string_view FileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view StemOf(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

// Runs of white space become one space; none at either end.
std::string Tidy(std::string_view text) {
  std::string out;
  bool space = false;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c)) != 0) {
      space = !out.empty();
      continue;
    }
    if (space) out.push_back(' ');
    space = false;
    out.push_back(c);
  }
  return out;
}

std::string ParagraphText(pugi::xml_node paragraph) {
  std::string text;
  WalkElements(paragraph, [&](pugi::xml_node node) {
    const std::string_view name = node.name();
    if (name == "w:t") text += node.text().get();
    if (name == "w:tab") text.push_back(' ');
    // Deleted text and what only footnotes and comments show are not the heading's.
    return name != "w:del" && name != "w:footnoteReference" && name != "w:commentReference";
  });
  return Tidy(text);
}

std::string CoreTitle(SourcePackage& source) {
  const Relationship* core = source.RelOfKind("/", "core-properties");
  if (core == nullptr || core->part.empty() || !source.Has(core->part)) return {};
  // A damaged property part costs the document its title, never its place in the result.
  try {
    for (pugi::xml_node c : source.Xml(core->part).doc->document_element().children()) {
      const std::string_view name = c.name();
      if (name == "title" || (name.size() > 6 && name.substr(name.size() - 6) == ":title")) {
        return Tidy(c.text().get());
      }
    }
  } catch (const StageError&) {
  }
  return {};
}

bool OutlineLevelIsHeading(pugi::xml_node pPr) {
  pugi::xml_node level = pPr.child("w:outlineLvl");
  return level && std::atoi(level.attribute("w:val").value()) < 9;
}

// The source's paragraph styles that make headings: named "heading N" or "title", or with an
// outline level of their own.
std::set<std::string> HeadingStyles(SourcePackage& source) {
  std::set<std::string> ids;
  const Relationship* styles = source.RelOfKind(source.mainPart(), "styles");
  if (styles == nullptr || styles->part.empty() || !source.Has(styles->part)) return ids;
  for (pugi::xml_node style :
       source.Xml(styles->part).doc->document_element().children("w:style")) {
    const std::string name = Fold(style.child("w:name").attribute("w:val").value());
    if (name.rfind("heading ", 0) == 0 || name == "title" ||
        OutlineLevelIsHeading(style.child("w:pPr"))) {
      ids.insert(style.attribute("w:styleId").value());
    }
  }
  return ids;
}

std::string FirstHeading(SourcePackage& source, pugi::xml_node body) {
  const std::set<std::string> headingStyles = HeadingStyles(source);
  std::string found;
  WalkElements(body, [&](pugi::xml_node node) {
    if (!found.empty()) return false;
    if (std::string_view(node.name()) != "w:p") return true;
    pugi::xml_node pPr = node.child("w:pPr");
    if (headingStyles.count(pPr.child("w:pStyle").attribute("w:val").value()) != 0 ||
        OutlineLevelIsHeading(pPr)) {
      found = ParagraphText(node);
    }
    return false;
  });
  return found;
}

pugi::xml_node FirstParagraph(pugi::xml_node body) {
  pugi::xml_node first;
  WalkElements(body, [&](pugi::xml_node node) {
    if (first) return false;
    if (std::string_view(node.name()) == "w:p") {
      first = node;
      return false;
    }
    return true;
  });
  return first;
}

long Twips(pugi::xml_node node, const char* attribute, long otherwise) {
  pugi::xml_attribute a = node.attribute(attribute);
  return a ? std::atol(a.value()) : otherwise;
}

}  // namespace

std::string BookmarkNameFor(std::string_view fileName, const std::set<std::string>& takenFolded) {
  std::string base;
  for (char ch : StemOf(FileNameOf(fileName))) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x80 || std::isalnum(c) != 0) {
      base.push_back(ch);
    } else if (!base.empty() && base.back() != '_') {
      base.push_back('_');
    }
  }
  while (!base.empty() && base.back() == '_') base.pop_back();
  if (base.empty() || (static_cast<unsigned char>(base[0]) < 0x80 &&
                       !IsAsciiAlpha(static_cast<unsigned char>(base[0])))) {
    base = "Doc_" + base;
    if (base.back() == '_') base.pop_back();
  }
  std::string name = FirstChars(base, kMaxBookmarkChars);
  for (long n = 2; takenFolded.count(Fold(name)) != 0; ++n) {
    const std::string suffix = "_" + std::to_string(n);
    name = FirstChars(base, kMaxBookmarkChars - suffix.size()) + suffix;
  }
  return name;
}

std::string TitleOf(SourcePackage& source, pugi::xml_node body, std::string_view fileName) {
  std::string title = CoreTitle(source);
  if (title.empty()) title = FirstHeading(source, body);
  if (title.empty()) title = Tidy(StemOf(FileNameOf(fileName)));
  return title;
}

void Binder::Prepare(AppendContext& ctx, pugi::xml_node body, std::string_view fileName) const {
  // The title names the document on the contents page and in a rendering's outline.
  if (MarksStarts()) ctx.out.bound.title = TitleOf(ctx.src, body, fileName);
  if (options_.contents && ctx.first) {
    pugi::xml_node sectPr = body.select_node(".//w:sectPr").node();
    std::string setup;
    for (const char* name : {"w:pgSz", "w:pgMar"}) {
      if (pugi::xml_node n = sectPr.child(name)) setup += NodeToString(n);
    }
    ctx.out.bound.pageSetup = setup;
  }
  if (MarksStarts()) {
    ctx.out.bound.bookmark = BookmarkNameFor(fileName, ctx.result.index.bookmarkNames);
    JournalInsert(ctx, ctx.result.index.bookmarkNames, Fold(ctx.out.bound.bookmark));
  }
}

void Binder::Mark(AppendContext& ctx, pugi::xml_node body) const {
  if (MarksStarts()) {
    pugi::xml_node paragraph = FirstParagraph(body);
    if (!paragraph) {
      // Nothing but its section: the bookmark needs a paragraph to stand in.
      pugi::xml_node sectPr = body.last_child();
      paragraph = sectPr ? body.insert_child_before("w:p", sectPr) : body.append_child("w:p");
    }
    pugi::xml_node pPr = paragraph.child("w:pPr");
    pugi::xml_node start = pPr ? paragraph.insert_child_after("w:bookmarkStart", pPr)
                               : paragraph.prepend_child("w:bookmarkStart");
    const std::string id = std::to_string(NextId(ctx, &Counters::bookmark) - 1);
    start.append_attribute("w:id").set_value(id.c_str());
    start.append_attribute("w:name").set_value(ctx.out.bound.bookmark.c_str());
    // Around the paragraph's content, not collapsed at its start: LibreOffice moves a collapsed
    // bookmark in a section's only paragraph to the end of the section before.
    paragraph.append_child("w:bookmarkEnd").append_attribute("w:id").set_value(id.c_str());
  }
  if (options_.continuousNumbering) {
    for (pugi::xpath_node found : body.select_nodes(".//w:sectPr/w:pgNumType")) {
      pugi::xml_node pgNumType = found.node();
      pgNumType.remove_attribute("w:start");
      if (!pgNumType.first_attribute() && !pgNumType.first_child()) {
        pgNumType.parent().remove_child(pgNumType);
      }
    }
  }
}

void Binder::Commit(BoundDocument document) {
  if (!document.pageSetup.empty() && documents_.empty()) pageSetup_ = document.pageSetup;
  document.pageSetup.clear();
  // The entries before the last are compressed once: every save of a long join would otherwise
  // write the whole page again.
  if (options_.contents)
    settled_.Append(documents_.empty() ? Heading() : Entry(documents_.size() - 1, false));
  documents_.push_back(std::move(document));
}

std::string Binder::Heading() {
  pugi::xml_document setup;
  setup.load_string(("<s xmlns:w=\"w\">" + pageSetup_ + "</s>").c_str());
  const pugi::xml_node size = setup.first_child().child("w:pgSz");
  const pugi::xml_node margins = setup.first_child().child("w:pgMar");
  long width =
      Twips(size, "w:w", 11906) - Twips(margins, "w:left", 1440) - Twips(margins, "w:right", 1440);
  tabs_ = "<w:tabs><w:tab w:val=\"right\" w:leader=\"dot\" w:pos=\"" +
          std::to_string(std::max(width, 1440L)) + "\"/></w:tabs>";
  return "<w:p><w:pPr><w:spacing w:after=\"240\"/></w:pPr><w:r><w:rPr><w:b/><w:sz w:val=\"32\"/>"
         "</w:rPr><w:t>Contents</w:t></w:r></w:p>";
}

std::string Binder::Entry(std::size_t i, bool last) const {
  const BoundDocument& document = documents_[i];
  const std::string bookmark = XmlEscape(document.bookmark);
  auto page = startPages_.find(document.bookmark);
  const bool known = page != startPages_.end();
  std::string xml = "<w:p><w:pPr>" + tabs_;
  // The page's own section ends with its last entry.
  if (last) xml += "<w:sectPr>" + pageSetup_ + "</w:sectPr>";
  xml += "</w:pPr><w:hyperlink w:anchor=\"" + bookmark +
         "\" w:history=\"1\"><w:r><w:t xml:space=\"preserve\">" + XmlEscape(document.title) +
         "</w:t></w:r><w:r><w:tab/></w:r><w:r><w:fldChar w:fldCharType=\"begin\"" +
         (known ? "" : " w:dirty=\"true\"") +
         "/></w:r><w:r><w:instrText xml:space=\"preserve\"> PAGEREF " + bookmark +
         " \\h </w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>" +
         (known ? std::to_string(page->second) : std::string()) +
         "</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:hyperlink></w:p>";
  return xml;
}

void Binder::SetStartPages(std::map<std::string, int> pages) {
  startPages_ = std::move(pages);
  if (!options_.contents || documents_.empty()) return;
  settled_ = CompressedRun();
  settled_.Append(Heading());
  for (std::size_t i = 0; i + 1 < documents_.size(); ++i) settled_.Append(Entry(i, false));
}

CompressedRun Binder::ContentsPage() const {
  if (!options_.contents || documents_.empty()) return {};
  CompressedRun page = settled_;
  page.Append(Entry(documents_.size() - 1, true));
  return page;
}

}  // namespace plenwick::word::engine
