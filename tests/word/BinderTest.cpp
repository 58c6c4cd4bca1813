// The binder plenwick-join can ask for: bookmarks where each document starts, the contents page
// that points at them, page numbers through the whole result; and the plain join untouched.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>

#include "DocxFixture.h"
#include "word/WordApi.h"

namespace plenwick::word::test {
namespace {

FixtureDoc Paragraphs(const std::string& first, const std::string& more = {}) {
  FixtureDoc d;
  d.body = "<w:p><w:r><w:t>" + first + "</w:t></w:r></w:p>" + more;
  return d;
}

// Joins inputs with binder options, as plenwick-join does, and opens the result.
ResultPackage JoinBound(const TempFolder& dir, const std::vector<std::string>& inputs,
                        const BinderOptions& options, const std::string& name = "out.docx") {
  auto app = options.Any() ? BinderApplications(options)("Word.Application")
                           : CreateObject("Word.Application");
  EXPECT_TRUE(app.ok());
  auto docs = (*app)->Documents();
  auto doc = (*docs)->Add();
  for (const std::string& input : inputs) {
    auto range = (*doc)->Range();
    EXPECT_TRUE((*range)->Collapse(kCollapseEnd).ok());
    Status inserted = (*range)->InsertFile(input);
    EXPECT_TRUE(inserted.ok()) << input << ": " << inserted.error().message;
  }
  EXPECT_TRUE((*doc)->SaveAs((dir / name).string()).ok());
  return ResultPackage(dir / name);
}

// The paragraph whose text is `text`.
pugi::xml_node ParagraphWithText(pugi::xml_document& doc, const std::string& text) {
  for (pugi::xml_node t : Select(doc, "//w:p//w:t")) {
    if (text == t.text().get()) {
      pugi::xml_node p = t;
      while (p && std::string_view(p.name()) != "w:p") p = p.parent();
      return p;
    }
  }
  return {};
}

std::vector<std::string> Instructions(pugi::xml_document& doc) {
  std::vector<std::string> out;
  for (pugi::xml_node n : Select(doc, "//w:instrText")) out.push_back(n.text().get());
  return out;
}

TEST(Binder, BookmarksAreUniqueAndAtEachDocumentsFirstParagraph) {
  TempFolder dir;
  std::filesystem::create_directories(dir / "sub");
  // A name the document itself already uses, the same file name twice, a document that starts
  // with a table, and one that is nothing but its section.
  FixtureDoc own = Paragraphs("first of report",
                              "<w:p><w:bookmarkStart w:id=\"0\" "
                              "w:name=\"Report\"/><w:bookmarkEnd w:id=\"0\"/>"
                              "<w:r><w:t>more</w:t></w:r></w:p>");
  FixtureDoc table;
  table.body =
      "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>first of table</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
      "<w:p/>";
  FixtureDoc empty;
  const std::vector<std::string> inputs = {
      WriteDocx(dir / "Report.docx", own).string(),
      WriteDocx(dir / "sub" / "report.docx", Paragraphs("first of sub report")).string(),
      WriteDocx(dir / "2024 table.docx", table).string(),
      WriteDocx(dir / "empty.docx", empty).string()};
  BinderOptions options;
  options.bookmarks = true;
  ResultPackage r = JoinBound(dir, inputs, options);
  auto& doc = r.Xml("word/document.xml");

  std::set<std::string> names, ids;
  for (pugi::xml_node start : Select(doc, "//w:bookmarkStart")) {
    std::string folded = start.attribute("w:name").value();
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(names.insert(folded).second) << "duplicate bookmark " << folded;
    EXPECT_TRUE(ids.insert(start.attribute("w:id").value()).second);
    const std::string name = start.attribute("w:name").value();
    EXPECT_TRUE(std::regex_match(name, std::regex("[A-Za-z][A-Za-z0-9_]{0,39}"))) << name;
  }
  EXPECT_EQ(names.size(), 5u);  // four documents and the first one's own
  const std::map<std::string, std::string> firsts = {
      {"first of report", ""}, {"first of sub report", ""}, {"first of table", ""}};
  std::vector<std::string> marked;
  for (const auto& [text, unused] : firsts) {
    pugi::xml_node p = ParagraphWithText(doc, text);
    ASSERT_TRUE(p) << text;
    pugi::xml_node start = p.child("w:bookmarkStart");
    ASSERT_TRUE(start) << text << " carries no bookmark";
    // Around the paragraph's content: its end is the paragraph's last element.
    pugi::xml_node end = p.last_child();
    EXPECT_STREQ(end.name(), "w:bookmarkEnd");
    EXPECT_STREQ(end.attribute("w:id").value(), start.attribute("w:id").value());
    marked.push_back(start.attribute("w:name").value());
  }
  EXPECT_EQ(marked[0], "Report_2");  // the document's own "Report" keeps its name
  EXPECT_EQ(marked[1], "report_3");
  EXPECT_EQ(marked[2], "Doc_2024_table");
  EXPECT_EQ(Select(doc, "//w:bookmarkStart[@w:name='empty']").size(), 1u);

  // Apart from the bookmarks, the result is the plain join's.
  ResultPackage plain = JoinBound(dir, inputs, BinderOptions{}, "plain.docx");
  std::string bound = r.Text("word/document.xml");
  const std::regex added(
      "<w:bookmarkStart w:id=\"([0-9]+)\" "
      "w:name=\"(Report_2|report_3|Doc_2024_table|empty)\"/>");
  for (std::smatch m; std::regex_search(bound, m, added);) {
    const std::string end = "<w:bookmarkEnd w:id=\"" + m[1].str() + "\"/>";
    bound.erase(static_cast<std::size_t>(m.position(0)), static_cast<std::size_t>(m.length(0)));
    bound.erase(bound.find(end), end.size());
  }
  // The empty document's paragraph, made for its bookmark, is the one the plain join makes.
  bound = std::regex_replace(bound, std::regex("<w:p( [^>]*)?></w:p>"), "<w:p$1/>");
  EXPECT_EQ(bound, plain.Text("word/document.xml"));
  for (const std::string& part : plain.Names()) {
    if (part == "word/document.xml" || part == "docProps/core.xml") continue;
    EXPECT_EQ(r.Text(part), plain.Text(part)) << part;
  }
}

TEST(Binder, ContentsPageFieldsPointAtTheBookmarksAndAskToBeUpdated) {
  TempFolder dir;
  FixtureDoc heading;
  heading.styles =
      "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"heading 1\"/>"
      "<w:pPr><w:outlineLvl w:val=\"0\"/></w:pPr></w:style>";
  heading.body =
      "<w:p><w:r><w:t>intro</w:t></w:r></w:p><w:p><w:pPr><w:pStyle w:val=\"Heading1\"/></w:pPr>"
      "<w:r><w:t>The Heading</w:t></w:r></w:p>";
  FixtureDoc landscape = Paragraphs("second");
  const std::vector<std::string> inputs = {WriteDocx(dir / "one.docx", heading).string(),
                                           WriteDocx(dir / "two & more.docx", landscape).string()};
  BinderOptions options;
  options.contents = true;
  options.continuousNumbering = true;
  ResultPackage r = JoinBound(dir, inputs, options);
  auto& doc = r.Xml("word/document.xml");

  // The contents page is the first section: its paragraphs come before the first document's.
  std::vector<pugi::xml_node> sections = Select(doc, "//w:body/w:p[w:pPr/w:sectPr]");
  ASSERT_FALSE(sections.empty());
  pugi::xml_node contentsEnd = sections.front();
  EXPECT_TRUE(contentsEnd.select_node(".//w:instrText"));
  // In the first document's page set-up.
  EXPECT_STREQ(contentsEnd.select_node(".//w:pgSz").node().attribute("w:w").value(), "12240");

  std::vector<std::string> bookmarks;
  for (pugi::xml_node start : Select(doc, "//w:bookmarkStart")) {
    bookmarks.push_back(start.attribute("w:name").value());
  }
  ASSERT_EQ(bookmarks.size(), 2u);
  const std::vector<std::string> instructions = Instructions(doc);
  ASSERT_EQ(instructions.size(), 2u);
  std::vector<pugi::xml_node> links = Select(doc, "//w:hyperlink");
  ASSERT_EQ(links.size(), 2u);
  // One section: its end is the last entry's.
  EXPECT_EQ(contentsEnd.child("w:hyperlink").attribute("w:anchor").value(), bookmarks.back());
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(instructions[i], " PAGEREF " + bookmarks[i] + " \\h ");
    EXPECT_EQ(links[i].attribute("w:anchor").value(), bookmarks[i]);
  }
  EXPECT_EQ(ParagraphWithText(doc, "The Heading").parent(), doc.select_node("//w:body").node());
  EXPECT_TRUE(ParagraphWithText(doc, "The Heading"));
  EXPECT_EQ(Select(doc, "//w:hyperlink//w:t[.='The Heading']").size(), 1u);
  EXPECT_EQ(Select(doc, "//w:hyperlink//w:t[.='two & more']").size(), 1u);
  // Numbers the engine cannot know are left for the reader to work out when opening the file.
  EXPECT_EQ(Select(doc, "//w:fldChar[@w:fldCharType='begin'][@w:dirty='true']").size(), 2u);
  EXPECT_EQ(Select(r.Xml("word/settings.xml"), "//w:updateFields[@w:val='true']").size(), 1u);
}

TEST(Binder, ContinuousNumberingLeavesNoSectionRestartingItsNumbering) {
  TempFolder dir;
  FixtureDoc twoSections =
      Paragraphs("first",
                 "<w:p><w:pPr><w:sectPr><w:pgNumType w:fmt=\"lowerRoman\" w:start=\"3\"/>"
                 "</w:sectPr></w:pPr><w:r><w:t>end of "
                 "one</w:t></w:r></w:p><w:p><w:r><w:t>two</w:t></w:r></w:p>");
  FixtureDoc pageOfPages =
      Paragraphs("page",
                 "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText "
                 "xml:space=\"preserve\"> NUMPAGES </w:instrText></w:r><w:r><w:fldChar "
                 "w:fldCharType=\"end\"/></w:r></w:p>");
  pageOfPages.sectPr =
      "<w:sectPr><w:pgNumType w:start=\"7\"/><w:pgSz w:w=\"12240\" w:h=\"15840\"/></w:sectPr>";
  const std::vector<std::string> inputs = {
      WriteDocx(dir / "a.docx", twoSections).string(),
      WriteDocx(dir / "b.docx", pageOfPages).string(),
  };
  BinderOptions options;
  options.continuousNumbering = true;
  ResultPackage r = JoinBound(dir, inputs, options);
  auto& doc = r.Xml("word/document.xml");
  EXPECT_EQ(Select(doc, "//w:sectPr").size(), 3u);
  EXPECT_TRUE(Select(doc, "//w:pgNumType[@w:start]").empty());
  // The format stays; only the restart goes.
  EXPECT_EQ(Select(doc, "//w:pgNumType[@w:fmt='lowerRoman']").size(), 1u);
  // "Page X of Y" counts the whole result.
  EXPECT_EQ(Instructions(doc), std::vector<std::string>{" NUMPAGES "});

  // By default each document numbers its own pages, and counts only them.
  ResultPackage own = JoinBound(dir, inputs, BinderOptions{}, "own.docx");
  auto& ownDoc = own.Xml("word/document.xml");
  EXPECT_EQ(Select(ownDoc, "//w:pgNumType[@w:start]").size(), 2u);
  EXPECT_EQ(Instructions(ownDoc), std::vector<std::string>{" SECTIONPAGES "});

  // One of several sections counts up to a bookmark at its own end. It is not done where the
  // numbering restarts within it, as the document before's does (the first's count is kept).
  FixtureDoc chapters = Paragraphs(
      "chapter",
      "<w:p><w:pPr><w:sectPr/></w:pPr><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r>"
      "<w:instrText xml:space=\"preserve\"> NUMPAGES </w:instrText></w:r><w:r><w:fldChar "
      "w:fldCharType=\"end\"/></w:r></w:p><w:p><w:r><w:t>last</w:t></w:r></w:p>");
  FixtureDoc restarting = chapters;
  restarting.sectPr = "<w:sectPr><w:pgNumType w:start=\"4\"/></w:sectPr>";
  ResultPackage counted = JoinBound(dir,
                                    {WriteDocx(dir / "r.docx", restarting).string(),
                                     WriteDocx(dir / "c.docx", chapters).string()},
                                    BinderOptions{}, "counted.docx");
  auto& countedDoc = counted.Xml("word/document.xml");
  EXPECT_EQ(Instructions(countedDoc),
            (std::vector<std::string>{" NUMPAGES ", " PAGEREF _PlwPageCount "}));
  EXPECT_EQ(
      Select(countedDoc, "//w:p[w:r/w:t='last']/w:bookmarkStart[@w:name='_PlwPageCount']").size(),
      1u);
  // An empty last paragraph keeps its line with a space, which comes before the bookmark:
  // LibreOffice moves a bookmark standing before a section end's only text onto the next page.
  FixtureDoc emptyEnd = chapters;
  emptyEnd.body += "<w:p/>";
  ResultPackage spaced = JoinBound(dir,
                                   {WriteDocx(dir / "e.docx", emptyEnd).string(),
                                    WriteDocx(dir / "r2.docx", restarting).string()},
                                   BinderOptions{}, "spaced.docx");
  auto marks =
      Select(spaced.Xml("word/document.xml"), "//w:bookmarkStart[@w:name='_PlwPageCount']");
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_STREQ(marks[0].previous_sibling().name(), "w:r");
}

}  // namespace
}  // namespace plenwick::word::test
