// Ids that must be unique in the result: notes, comments, bookmarks, drawings; and the fields
// and links that name renamed bookmarks. Also what other writers state twice or out of order.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "DocxFixture.h"
#include "JoinHelpers.h"

namespace plenwick::word::test {
namespace {

// A paragraph with the id Word gave it; documents made from one template share them.
std::string Paragraph(const std::string& paraId) {
  return "<w:p xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\" "
         "w14:paraId=\"" +
         paraId + "\">";
}

FixtureDoc DocumentWithEverything(const std::string& tag) {
  FixtureDoc d;
  d.footnotes = "<w:footnote w:id=\"1\">" + Paragraph("0A000001") + "<w:r><w:t>note " + tag +
                "</w:t></w:r></w:p></w:footnote>";
  d.comments = "<w:comment w:id=\"0\" w:author=\"A\">" + Paragraph("0A000001") +
               "<w:r><w:t>comment " + tag + "</w:t></w:r></w:p></w:comment>";
  d.body =
      Paragraph("0A000001") +
      "<w:bookmarkStart w:id=\"0\" w:name=\"Target\"/><w:commentRangeStart w:id=\"0\"/>"
      "<w:r><w:t>text " +
      tag +
      "</w:t></w:r><w:bookmarkEnd w:id=\"0\"/><w:commentRangeEnd "
      "w:id=\"0\"/><w:r><w:commentReference w:id=\"0\"/></w:r><w:r><w:footnoteReference "
      "w:id=\"1\"/></w:r></w:p>" +
      Paragraph("0A000002") +
      "<w:fldSimple w:instr=\" REF Target \\h \"><w:r><w:t>ref</w:t></w:r></w:fldSimple>"
      "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText xml:space=\"preserve\"> "
      "PAGEREF Target \\h </w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>"
      "<w:r><w:t>1</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"
      "<w:hyperlink w:anchor=\"Target\"><w:r><w:t>link</w:t></w:r></w:hyperlink></w:p>";
  return d;
}

// Ids tests join fixture documents written into a scratch folder.
class Ids : public JoinTest {};

TEST_F(Ids, NotesCommentsAndBookmarksAreRenumberedAndRenamedConsistently) {
  Write("a.docx", DocumentWithEverything("A"));
  FixtureDoc b = DocumentWithEverything("B");
  // As another writer left it: a note that ends in a table, where Word has a paragraph.
  b.footnotes =
      "<w:footnote w:id=\"1\">" + Paragraph("0A000001") +
      "<w:r><w:t>note B</w:t></w:r></w:p><w:tbl><w:tblPr>"
      "<w:tblW w:w=\"2000\" w:type=\"dxa\"/></w:tblPr><w:tblGrid><w:gridCol w:w=\"2000\"/>"
      "</w:tblGrid><w:tr><w:tc><w:p><w:r><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
      "</w:footnote>";
  Write("b.docx", b);
  ResultPackage r = Join({(dir_ / "a.docx").string(), (dir_ / "b.docx").string()});
  auto& doc = r.Xml("word/document.xml");

  std::set<std::string> noteIds;
  for (pugi::xml_node n : Select(r.Xml("word/footnotes.xml"), "//w:footnote")) {
    EXPECT_TRUE(noteIds.insert(n.attribute("w:id").value()).second) << "duplicate note id";
  }
  EXPECT_EQ(noteIds.size(), 4u);  // two separators and one note of each document
  for (pugi::xml_node n : Select(r.Xml("word/footnotes.xml"), "//w:footnote")) {
    EXPECT_STREQ(n.last_child().name(), "w:p") << "note " << n.attribute("w:id").value();
  }
  std::set<std::string> refs;
  for (pugi::xml_node n : Select(doc, "//w:footnoteReference")) {
    std::string id = n.attribute("w:id").value();
    EXPECT_EQ(noteIds.count(id), 1u);
    refs.insert(id);
  }
  EXPECT_EQ(refs.size(), 2u);

  std::set<std::string> commentIds;
  for (pugi::xml_node c : Select(r.Xml("word/comments.xml"), "//w:comment")) {
    EXPECT_TRUE(commentIds.insert(c.attribute("w:id").value()).second);
  }
  EXPECT_EQ(commentIds.size(), 2u);
  for (pugi::xml_node c : Select(doc, "//w:commentReference")) {
    EXPECT_EQ(commentIds.count(c.attribute("w:id").value()), 1u);
  }

  auto starts = Select(doc, "//w:bookmarkStart");
  auto ends = Select(doc, "//w:bookmarkEnd");
  ASSERT_EQ(starts.size(), 2u);
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_STRNE(starts[0].attribute("w:id").value(), starts[1].attribute("w:id").value());
  EXPECT_STREQ(starts[0].attribute("w:id").value(), ends[0].attribute("w:id").value());
  EXPECT_STREQ(starts[1].attribute("w:id").value(), ends[1].attribute("w:id").value());
  std::string first = starts[0].attribute("w:name").value();
  std::string second = starts[1].attribute("w:name").value();
  EXPECT_EQ(first, "Target");
  EXPECT_NE(second, first);
  EXPECT_LE(second.size(), 40u);

  // The second document's fields and links point at its renamed bookmark.
  auto simple = Select(doc, "//w:fldSimple");
  ASSERT_EQ(simple.size(), 2u);
  EXPECT_NE(std::string(simple[1].attribute("w:instr").value()).find(" REF " + second + " "),
            std::string::npos);
  auto instr = Select(doc, "//w:instrText");
  ASSERT_EQ(instr.size(), 2u);
  EXPECT_NE(std::string(instr[0].text().get()).find("PAGEREF Target "), std::string::npos);
  EXPECT_NE(std::string(instr[1].text().get()).find("PAGEREF " + second + " "), std::string::npos);
  auto links = Select(doc, "//w:hyperlink");
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(std::string(links[1].attribute("w:anchor").value()), second);

  // Both documents came from one template: every paragraph id is unique in its part, and the
  // first document's stay as they were.
  for (const char* part : {"word/document.xml", "word/footnotes.xml", "word/comments.xml"}) {
    std::vector<std::string> ids;
    for (pugi::xml_node p : Select(r.Xml(part), "//w:p[@w14:paraId]")) {
      ids.push_back(p.attribute("w14:paraId").value());
    }
    ASSERT_GE(ids.size(), 2u) << part;
    EXPECT_EQ(ids[0], "0A000001") << part;
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), ids.size()) << part;
    for (const std::string& id : ids) EXPECT_LT(std::stoul(id, nullptr, 16), 0x80000000u) << id;
  }
}

TEST_F(Ids, TakenRenamesDoNotCollideWithTheDocumentsOwnNames) {
  FixtureDoc a;
  a.body = "<w:p><w:bookmarkStart w:id=\"0\" w:name=\"X\"/><w:bookmarkEnd w:id=\"0\"/></w:p>";
  FixtureDoc b;
  b.body =
      "<w:p><w:bookmarkStart w:id=\"0\" w:name=\"X\"/><w:bookmarkEnd w:id=\"0\"/>"
      "<w:bookmarkStart w:id=\"1\" w:name=\"X_2\"/><w:bookmarkEnd w:id=\"1\"/></w:p>";
  Write("a.docx", a);
  Write("b.docx", b);
  ResultPackage r =
      Join({(dir_ / "a.docx").string(), (dir_ / "b.docx").string(), (dir_ / "b.docx").string()});
  std::set<std::string> names;
  for (pugi::xml_node s : Select(r.Xml("word/document.xml"), "//w:bookmarkStart")) {
    std::string n = s.attribute("w:name").value();
    for (char& ch : n) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_TRUE(names.insert(n).second) << "duplicate bookmark name " << n;
  }
  EXPECT_EQ(names.size(), 5u);
}

TEST_F(Ids, ABookmarkRepeatedInItsOwnDocumentKeepsOnlyItsFirstPair) {
  // Table rows copied by a template tool carry the same bookmark, id and name, in each copy.
  FixtureDoc a;
  a.body = "<w:p><w:bookmarkStart w:id=\"0\" w:name=\"Row\"/><w:bookmarkEnd w:id=\"0\"/></w:p>";
  FixtureDoc b;
  for (int i = 0; i < 3; ++i) {
    b.body += "<w:p><w:bookmarkStart w:id=\"0\" w:name=\"Row\"/><w:r><w:t>row " +
              std::to_string(i) + "</w:t></w:r><w:bookmarkEnd w:id=\"0\"/></w:p>";
  }
  Write("a.docx", a);
  Write("b.docx", b);
  ResultPackage r = Join({(dir_ / "a.docx").string(), (dir_ / "b.docx").string()});
  auto& doc = r.Xml("word/document.xml");
  auto starts = Select(doc, "//w:bookmarkStart");
  auto ends = Select(doc, "//w:bookmarkEnd");
  ASSERT_EQ(starts.size(), 2u);
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_STRNE(starts[0].attribute("w:name").value(), starts[1].attribute("w:name").value());
  EXPECT_STRNE(starts[0].attribute("w:id").value(), starts[1].attribute("w:id").value());
  // The second document's pair stays around its first row, and every row's text stays.
  EXPECT_STREQ(starts[1].attribute("w:id").value(), ends[1].attribute("w:id").value());
  EXPECT_EQ(starts[1].parent(), ends[1].parent());
  EXPECT_EQ(Select(doc, "//w:t[normalize-space(.)!='']").size(), 3u);
}

TEST_F(Ids, PropertiesAnotherWriterRepeatsOrMisordersArePutRight) {
  // As LibreOffice 5 wrote them: a heading style's outline level twice, and a watermark's
  // content control with its id after its kind. As an HTML converter wrote them: the body's
  // section properties first, before its content, no gutter, a paragraph's spacing after its
  // alignment, a table's borders and a cell's merge out of order, borders "none" wide; and as
  // other writers did, measures as decimals, a style's flags after its properties, an
  // equation's brackets out of order, a shading without its pattern, a run style among a
  // paragraph's properties, a section's kind as an attribute.
  const std::string control =
      "<w:sdt><w:sdtPr><w:docPartObj><w:docPartGallery w:val=\"Watermarks\"/>"
      "<w:docPartUnique w:val=\"true\"/></w:docPartObj><w:id w:val=\"924284505\"/>"
      "<w15:appearance "
      "xmlns:w15=\"http://schemas.microsoft.com/office/word/2012/wordml\" "
      "w15:val=\"hidden\"/></w:sdtPr><w:sdtContent><w:p><w:r><w:t>mark</w:t>"
      "</w:r></w:p></w:sdtContent></w:sdt>";
  FixtureDoc a, b;
  a.body = "<w:p><w:r><w:t>first</w:t></w:r></w:p>";
  // As pandoc writes them: settings and the paragraph defaults out of order; the result takes
  // the first document's.
  a.settings = "<w:defaultTabStop w:val=\"720\"/><w:zoom w:percent=\"100\"/>";
  a.docDefaults =
      "<w:pPrDefault><w:pPr><w:jc w:val=\"left\"/><w:spacing w:after=\"0\"/></w:pPr>"
      "</w:pPrDefault>";
  b.styles =
      "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"heading 1\"/>"
      "<w:pPr><w:spacing w:before=\"240\"/><w:outlineLvl w:val=\"1\"/><w:outlineLvl "
      "w:val=\"0\"/></w:pPr><w:rPr><w:b/><w:b/></w:rPr><w:qFormat/><w:basedOn "
      "w:val=\"Normal\"/></w:style>";
  b.headers["header1.xml"] = control;
  b.sectPr.clear();
  b.body =
      "<w:sectPr w:type=\"nextPage\"><w:headerReference w:type=\"default\" r:id=\"rIdH1\"/>"
      "<w:pgSz w:w=\"12240\" w:h=\"15840\"/><w:pgMar w:top=\"1440\" w:right=\"1440\" "
      "w:bottom=\"1440\" w:left=\"1440\" w:header=\"720\" w:footer=\"720\"/></w:sectPr>"
      "<w:p><w:pPr><w:pStyle w:val=\"Heading1\"/></w:pPr><w:r><w:t>title</w:t></w:r></w:p>" +
      control +
      "<w:p><w:pPr><w:jc w:val=\"center\"/><w:spacing w:after=\"0\"/></w:pPr></w:p>"
      "<w:tbl><w:tblPr><w:tblW w:w=\"9930.0\" w:type=\"dxa\"/><w:tblBorders><w:top "
      "w:val=\"single\" w:sz=\"none\"/><w:bottom w:val=\"single\" w:sz=\"4\"/><w:left "
      "w:val=\"single\" w:sz=\"4\"/></w:tblBorders><w:tblCellMar><w:right w:w=\"40.0\" "
      "w:type=\"dxa\"/><w:left w:w=\"40.0\" w:type=\"dxa\"/></w:tblCellMar></w:tblPr><w:tblGrid>"
      "<w:gridCol w:w=\"9930\"/></w:tblGrid><w:tr><w:tc><w:tcPr><w:tcBorders><w:top "
      "w:val=\"nil\"/></w:tcBorders><w:vMerge w:val=\"restart\"/><w:tcW w:w=\"9930\" "
      "w:type=\"dxa\"/></w:tcPr><w:p/></w:tc></w:tr></w:tbl>"
      "<w:p><w:pPr><w:rStyle w:val=\"Strong\"/><w:pBdr><w:bottom w:val=\"single\"/><w:top "
      "w:val=\"single\"/></w:pBdr><w:shd w:fill=\"FFFF00\"/></w:pPr><m:oMath "
      "xmlns:m=\"http://schemas.openxmlformats.org/officeDocument/2006/math\"><m:d><m:dPr>"
      "<m:endChr m:val=\")\"/><m:sepChr m:val=\"\"/></m:dPr><m:e><m:r><m:t>x</m:t></m:r>"
      "</m:e></m:d></m:oMath></w:p>";
  Write("a.docx", a);
  Write("b.docx", b);
  ResultPackage r = Join({(dir_ / "a.docx").string(), (dir_ / "b.docx").string()});

  auto names = [](pugi::xml_node parent) {
    std::string all;
    for (pugi::xml_node c : parent.children()) all += std::string(c.name()) + " ";
    return all;
  };
  auto& styles = r.Xml("word/styles.xml");
  auto levels = Select(styles, "//w:style[w:name/@w:val='heading 1']/w:pPr/w:outlineLvl");
  ASSERT_EQ(levels.size(), 1u);
  EXPECT_STREQ(levels[0].attribute("w:val").value(), "0");
  EXPECT_EQ(Select(styles, "//w:style[w:name/@w:val='heading 1']/w:rPr/w:b").size(), 1u);
  EXPECT_EQ(names(Select(styles, "//w:style[w:name/@w:val='heading 1']")[0]),
            "w:name w:basedOn w:qFormat w:pPr w:rPr ");
  EXPECT_EQ(names(Select(styles, "//w:pPrDefault/w:pPr")[0]), "w:spacing w:jc ");
  const std::string settings = names(r.Xml("word/settings.xml").document_element());
  EXPECT_TRUE(settings.starts_with("w:zoom w:defaultTabStop ")) << settings;

  auto& doc = r.Xml("word/document.xml");
  // One set of section properties in the body, at its end: the second document's, with its header.
  auto bodySections = Select(doc, "/w:document/w:body/w:sectPr");
  ASSERT_EQ(bodySections.size(), 1u);
  EXPECT_EQ(bodySections[0].next_sibling(), pugi::xml_node());
  EXPECT_EQ(Select(doc, "/w:document/w:body/w:sectPr/w:headerReference[@w:type='default']").size(),
            1u);
  EXPECT_STREQ(Select(doc, "/w:document/w:body/w:sectPr/w:pgMar")[0].attribute("w:gutter").value(),
               "0");
  for (pugi::xml_node sectPr : Select(doc, "//w:sectPr")) {
    EXPECT_FALSE(sectPr.attribute("w:type")) << "a section's kind is an element";
  }
  EXPECT_NE(names(Select(doc, "//w:pPr[w:jc]")[0]).find("w:spacing w:jc "), std::string::npos);
  pugi::xml_node tblPr = Select(doc, "//w:tblPr")[0];
  EXPECT_STREQ(tblPr.child("w:tblW").attribute("w:w").value(), "9930");
  EXPECT_EQ(names(tblPr.child("w:tblBorders")), "w:top w:left w:bottom ");
  EXPECT_STREQ(tblPr.child("w:tblBorders").child("w:top").attribute("w:sz").value(), "0");
  EXPECT_EQ(names(tblPr.child("w:tblCellMar")), "w:left w:right ");
  EXPECT_STREQ(tblPr.child("w:tblCellMar").child("w:left").attribute("w:w").value(), "40");
  EXPECT_EQ(names(Select(doc, "//w:tcPr")[0]), "w:tcW w:vMerge w:tcBorders ");
  EXPECT_EQ(names(Select(doc, "//w:pBdr")[0]), "w:top w:bottom ");
  EXPECT_EQ(names(Select(doc, "//m:dPr")[0]), "m:sepChr m:endChr ");
  EXPECT_STREQ(Select(doc, "//w:shd")[0].attribute("w:val").value(), "clear");
  EXPECT_TRUE(Select(doc, "//w:pPr/w:rStyle").empty());
  std::vector<pugi::xml_node> controls = Select(doc, "//w:sdtPr");
  for (const std::string& part : r.Names()) {
    if (part.starts_with("word/header")) {
      for (pugi::xml_node n : Select(r.Xml(part), "//w:sdtPr")) controls.push_back(n);
    }
  }
  ASSERT_EQ(controls.size(), 2u);
  for (pugi::xml_node sdtPr : controls) {
    pugi::xml_node first = sdtPr.first_child();
    EXPECT_STREQ(first.name(), "w:id");
    EXPECT_STREQ(first.next_sibling().name(), "w:docPartObj");
    EXPECT_STREQ(sdtPr.last_child().name(), "w15:appearance");  // stays after what it followed
  }
}

}  // namespace
}  // namespace plenwick::word::test
