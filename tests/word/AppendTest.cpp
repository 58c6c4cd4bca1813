// What an append keeps: order, sections and headers, styles apart or shared, lists, media.
#include <gtest/gtest.h>

#include <set>

#include "DocxFixture.h"
#include "JoinHelpers.h"

namespace plenwick::word::test {
namespace {

std::string Para(const std::string& text, const std::string& style = "") {
  std::string pPr = style.empty() ? "" : "<w:pPr><w:pStyle w:val=\"" + style + "\"/></w:pPr>";
  return "<w:p>" + pPr + "<w:r><w:t>" + text + "</w:t></w:r></w:p>";
}

std::string StyleOf(pugi::xml_document& doc, const std::string& text) {
  for (pugi::xml_node t : Select(doc, "//w:t")) {
    if (text == t.text().get()) {
      pugi::xml_node p = t.parent().parent();
      return p.child("w:pPr").child("w:pStyle").attribute("w:val").value();
    }
  }
  return "<missing>";
}

class AppendTest : public JoinTest {};

TEST_F(AppendTest, DocumentsFollowEachOtherEachInItsOwnSectionWithNoBlankStart) {
  FixtureDoc a, b;
  a.body = Para("alpha one") + Para("alpha two");
  b.body = Para("beta");
  b.sectPr =
      "<w:sectPr><w:pgSz w:w=\"16838\" w:h=\"11906\" w:orient=\"landscape\"/><w:cols "
      "w:num=\"2\" w:space=\"720\"/></w:sectPr>";
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b)});
  auto& doc = r.Xml("word/document.xml");
  auto paras = Select(doc, "/w:document/w:body/w:p");
  ASSERT_EQ(paras.size(), 3u);
  EXPECT_STREQ(paras[0].child("w:r").child("w:t").text().get(), "alpha one");
  // The first document's section ends in its last paragraph; the last document's at the end.
  pugi::xml_node first = paras[1].child("w:pPr").child("w:sectPr");
  ASSERT_TRUE(first);
  EXPECT_EQ(std::string(first.child("w:pgSz").attribute("w:w").value()), "12240");
  EXPECT_EQ(std::string(first.child("w:pgNumType").attribute("w:start").value()), "1");
  pugi::xml_node last = doc.document_element().child("w:body").last_child();
  EXPECT_STREQ(last.name(), "w:sectPr");
  EXPECT_EQ(std::string(last.child("w:pgSz").attribute("w:orient").value()), "landscape");
  EXPECT_EQ(std::string(last.child("w:cols").attribute("w:num").value()), "2");
  // sectPr children keep the schema's order.
  std::vector<std::string> order;
  for (pugi::xml_node c : last.children()) order.push_back(c.name());
  auto pos = [&](const char* n) {
    return std::find(order.begin(), order.end(), n) - order.begin();
  };
  EXPECT_LT(pos("w:pgSz"), pos("w:pgNumType"));
  EXPECT_LT(pos("w:pgNumType"), pos("w:cols"));

  // A document ending in a page break and an empty paragraph has a blank last page. The
  // paragraph stays as it was and a copy of it carries the section's end: LibreOffice drops an
  // empty paragraph that only ends a section, and the page with it.
  FixtureDoc c;
  c.body = Para("gamma") + "<w:p><w:r><w:br w:type=\"page\"/></w:r></w:p><w:p/>";
  ResultPackage r2 = Join({Write("c.docx", c), Write("a2.docx", a), Write("c2.docx", c)});
  auto& doc2 = r2.Xml("word/document.xml");
  auto paras2 = Select(doc2, "/w:document/w:body/w:p");
  ASSERT_EQ(paras2.size(), 9u);
  EXPECT_FALSE(paras2[2].child("w:pPr").child("w:sectPr")) << "the blank page's paragraph";
  EXPECT_FALSE(paras2[2].child("w:r"));
  EXPECT_TRUE(paras2[3].child("w:pPr").child("w:sectPr"));
  EXPECT_FALSE(paras2[3].child("w:r"));
  EXPECT_STREQ(paras2[4].child("w:r").child("w:t").text().get(), "alpha one");
  // The last document's section ends with the body; its empty paragraph is there once.
  EXPECT_FALSE(paras2[8].child("w:r"));
  EXPECT_TRUE(paras2[7].child("w:r").child("w:br"));

  // The same page as LibreOffice writes it: the empty paragraph holds a run with properties
  // only, and the page break is a run after the text.
  FixtureDoc d;
  d.body =
      "<w:p><w:r><w:t>delta</w:t></w:r><w:r><w:br w:type=\"page\"/></w:r></w:p>"
      "<w:p><w:r><w:rPr><w:b/></w:rPr></w:r></w:p>";
  ResultPackage r3 = Join({Write("d.docx", d), Write("a3.docx", a)});
  auto paras3 = Select(r3.Xml("word/document.xml"), "/w:document/w:body/w:p");
  ASSERT_EQ(paras3.size(), 5u);
  EXPECT_FALSE(paras3[1].child("w:pPr").child("w:sectPr")) << "the blank page's paragraph";
  EXPECT_TRUE(paras3[2].child("w:pPr").child("w:sectPr"));

  // An empty last paragraph no break put on a page of its own can still be pushed onto one.
  // LibreOffice drops it once it ends a section; a space in its mark's size keeps it there,
  // without the mark's underline, which would show.
  FixtureDoc e;
  e.body = Para("epsilon") +
           "<w:p><w:pPr><w:rPr><w:u w:val=\"single\"/><w:sz w:val=\"40\"/></w:rPr></w:pPr>"
           "<w:bookmarkStart w:id=\"0\" w:name=\"_GoBack\"/><w:bookmarkEnd w:id=\"0\"/></w:p>";
  ResultPackage r4 = Join({Write("e.docx", e), Write("a4.docx", a)});
  auto paras4 = Select(r4.Xml("word/document.xml"), "/w:document/w:body/w:p");
  ASSERT_EQ(paras4.size(), 4u);
  ASSERT_TRUE(paras4[1].child("w:pPr").child("w:sectPr"));
  auto runs = Select(r4.Xml("word/document.xml"), "/w:document/w:body/w:p[2]/w:r");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_NE(r4.Text("word/document.xml").find("<w:t xml:space=\"preserve\"> </w:t>"),
            std::string::npos);
  EXPECT_STREQ(runs[0].child("w:rPr").child("w:sz").attribute("w:val").value(), "40");
  EXPECT_FALSE(runs[0].child("w:rPr").child("w:u"));
  // Not before a document that opens with a table, which LibreOffice would then lay out lower.
  FixtureDoc tabled;
  tabled.body =
      "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr><w:tblGrid><w:gridCol "
      "w:w=\"2000\"/></w:tblGrid><w:tr><w:tc><w:tcPr><w:tcW w:w=\"2000\" "
      "w:type=\"dxa\"/></w:tcPr>" +
      Para("cell") + "</w:tc></w:tr></w:tbl>" + Para("after the table");
  ResultPackage r5 = Join({Write("e5.docx", e), Write("tabled.docx", tabled)});
  EXPECT_TRUE(Select(r5.Xml("word/document.xml"), "/w:document/w:body/w:p[2]/w:r").empty());
  // Not before a floating table, which is placed where it says whatever stands before it.
  FixtureDoc floating = tabled;
  floating.body.replace(floating.body.find("<w:tblW"), 0, "<w:tblpPr w:tblpYSpec=\"bottom\"/>");
  ResultPackage r7 = Join({Write("e7.docx", e), Write("floating.docx", floating)});
  EXPECT_EQ(Select(r7.Xml("word/document.xml"), "/w:document/w:body/w:p[2]/w:r").size(), 1u);
  // A last paragraph holding only a field's end (as a bibliography ends) is such an empty
  // section end too: the field ends with the paragraph before.
  auto run = [](const std::string& inner) { return "<w:r>" + inner + "</w:r>"; };
  FixtureDoc f;
  f.body = "<w:p>" + run("<w:fldChar w:fldCharType=\"begin\"/>") +
           run("<w:instrText> BIBLIOGRAPHY </w:instrText>") +
           run("<w:fldChar w:fldCharType=\"separate\"/>") + run("<w:t>source</w:t>") +
           "</w:p><w:p>" + run("<w:rPr><w:b/></w:rPr><w:fldChar w:fldCharType=\"end\"/>") +
           "</w:p>";
  ResultPackage r6 = Join({Write("f.docx", f), Write("tabled6.docx", tabled)});
  auto& doc6 = r6.Xml("word/document.xml");
  EXPECT_TRUE(Select(doc6, "/w:document/w:body/w:p[2]/w:pPr/w:sectPr").size() == 1u);
  EXPECT_TRUE(Select(doc6, "/w:document/w:body/w:p[2]/w:r").empty());
  EXPECT_EQ(Select(doc6, "/w:document/w:body/w:p[1]/w:r/w:fldChar").size(), 3u);
  // Before anything else the field's end stays where it was: LibreOffice keeps the section's
  // page before a floating table after a field's end, not after an empty paragraph.
  ResultPackage r8 = Join({Write("f8.docx", f), Write("floating8.docx", floating)});
  auto& doc8 = r8.Xml("word/document.xml");
  EXPECT_EQ(Select(doc8, "/w:document/w:body/w:p[2]/w:r/w:fldChar").size(), 1u);
  EXPECT_EQ(Select(doc8, "/w:document/w:body/w:p").size(), 3u);

  // LibreOffice passes over a section break inside an index (Word puts an index in columns in a
  // section of its own), and a later document whose first section ends there came onto the page
  // before: its first paragraph breaks the page. Not in the first document, nor where the first
  // section ends outside the field.
  FixtureDoc indexed;
  indexed.body = Para("index title") + "<w:p>" + run("<w:fldChar w:fldCharType=\"begin\"/>") +
                 run("<w:instrText> INDEX \\c \"2\" </w:instrText>") +
                 run("<w:fldChar w:fldCharType=\"separate\"/>") +
                 "</w:p><w:p><w:pPr><w:sectPr><w:type w:val=\"continuous\"/></w:sectPr></w:pPr>" +
                 run("<w:t>entry</w:t>") + "</w:p><w:p>" +
                 run("<w:fldChar w:fldCharType=\"end\"/>") + "</w:p>";
  const char* breaks = "//w:p[w:r/w:t='index title']/w:pPr/w:pageBreakBefore";
  ResultPackage r9 = Join({Write("a9.docx", a), Write("indexed.docx", indexed)});
  EXPECT_EQ(Select(r9.Xml("word/document.xml"), breaks).size(), 1u);
  ResultPackage r10 = Join({Write("indexed10.docx", indexed), Write("a10.docx", a)});
  EXPECT_TRUE(Select(r10.Xml("word/document.xml"), breaks).empty());
  FixtureDoc outside = indexed;
  outside.body.replace(0, Para("index title").size(),
                       "<w:p><w:pPr><w:sectPr/></w:pPr><w:r><w:t>index title</w:t></w:r></w:p>");
  ResultPackage r11 = Join({Write("a11.docx", a), Write("outside.docx", outside)});
  EXPECT_TRUE(Select(r11.Xml("word/document.xml"), "//w:pageBreakBefore").empty());

  // LibreOffice refuses a whole file whose content control holds a line of text and then two
  // tables of contents, once a later section opens with a table: the control keeps the first,
  // and the paragraph holding the second stands after it, as it was.
  auto contentsField = [&](const std::string& entry) {
    return "<w:p>" + run("<w:fldChar w:fldCharType=\"begin\"/>") +
           run("<w:instrText> TOC \\o \"1-3\" \\h </w:instrText>") +
           run("<w:fldChar w:fldCharType=\"separate\"/>") + run("<w:t>" + entry + "</w:t>") +
           run("<w:fldChar w:fldCharType=\"end\"/>") + "</w:p>";
  };
  FixtureDoc contents;
  contents.body = "<w:sdt><w:sdtPr/><w:sdtContent>" + Para("Contents") + contentsField("one") +
                  contentsField("two") + "</w:sdtContent></w:sdt>" + Para("after");
  ResultPackage r13 = Join({Write("contents.docx", contents), Write("tabled13.docx", tabled)});
  auto& doc13 = r13.Xml("word/document.xml");
  EXPECT_EQ(Select(doc13, "//w:sdtContent//w:instrText").size(), 1u);
  EXPECT_EQ(Select(doc13, "/w:document/w:body/w:sdt/following-sibling::*[1][w:r/w:t='two']").size(),
            1u);

  // A last paragraph that breaks the page before its text: once it ends a section, LibreOffice
  // gives the part after the break the result's default style, so that part's runs state the
  // look their own style gives them.
  FixtureDoc broken;
  broken.normal =
      "<w:rPr><w:rFonts w:ascii=\"Arial\" w:hAnsi=\"Arial\"/><w:sz w:val=\"28\"/></w:rPr>";
  broken.body = Para("before") + "<w:p>" + run("<w:t>end</w:t>") +
                run("<w:br w:type=\"page\"/><w:t>last page</w:t>") + "</w:p>";
  ResultPackage r12 =
      Join({Write("a12.docx", a), Write("broken.docx", broken), Write("a13.docx", a)});
  auto& doc12 = r12.Xml("word/document.xml");
  EXPECT_STREQ(doc12.select_node("//w:r[w:t='last page']/w:rPr/w:sz/@w:val").attribute().value(),
               "28");
  EXPECT_STREQ(
      doc12.select_node("//w:r[w:t='last page']/w:rPr/w:rFonts/@w:ascii").attribute().value(),
      "Arial");
  EXPECT_TRUE(Select(doc12, "//w:r[w:t='end' or w:t='before']/w:rPr").empty());
}

TEST_F(AppendTest, SectionsNameTheirHeadersSoNothingIsInheritedFromTheDocumentBefore) {
  FixtureDoc a, b;
  a.body = Para("with header");
  a.headers["header1.xml"] = Para("HEADER A");
  a.sectPr =
      "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH1\"/><w:titlePg/></w:sectPr>";
  b.body = Para("without header");
  ResultPackage r = Join({Write("a.docx", b), Write("a2.docx", a), Write("b.docx", b)});
  auto& doc = r.Xml("word/document.xml");
  auto sections = Select(doc, "//w:sectPr");
  ASSERT_EQ(sections.size(), 3u);
  auto types = [](pugi::xml_node sect) {
    std::set<std::string> out;
    for (pugi::xml_node c : sect.children("w:headerReference"))
      out.insert(c.attribute("w:type").value());
    return out;
  };
  // Every section names every kind, so no reader has to guess what a section inherits.
  const std::set<std::string> all{"default", "even", "first"};
  for (pugi::xml_node sect : sections) EXPECT_EQ(types(sect), all);
  sections.erase(sections.begin());
  EXPECT_TRUE(sections[0].child("w:titlePg"));
  EXPECT_FALSE(sections[1].child("w:titlePg"));
  // The second document's default header is not the first one's.
  auto& rels = r.Xml("word/_rels/document.xml.rels");
  auto target = [&](pugi::xml_node sect) {
    std::string id;
    for (pugi::xml_node c : sect.children("w:headerReference")) {
      if (std::string_view(c.attribute("w:type").value()) == "default")
        id = c.attribute("r:id").value();
    }
    for (pugi::xml_node rel : rels.document_element().children()) {
      if (id == rel.attribute("Id").value()) return std::string(rel.attribute("Target").value());
    }
    return std::string();
  };
  std::string ta = target(sections[0]), tb = target(sections[1]);
  ASSERT_FALSE(ta.empty());
  ASSERT_FALSE(tb.empty());
  EXPECT_NE(ta, tb);
  EXPECT_NE(r.Text("word/" + ta).find("HEADER A"), std::string::npos);
  EXPECT_EQ(r.Text("word/" + tb).find("HEADER A"), std::string::npos);

  // An empty header and footer stay inside the margin, well clear of the text; in a section
  // that starts on an odd or even page, LibreOffice puts the text 0.5 cm below them whatever
  // they hold, so there they sit that far inside the margin.
  FixtureDoc odd;
  odd.body = Para("on an odd page");
  odd.sectPr =
      "<w:sectPr><w:type w:val=\"oddPage\"/><w:pgSz w:w=\"12240\" w:h=\"15840\"/><w:pgMar "
      "w:top=\"1440\" w:right=\"1440\" w:bottom=\"2000\" w:left=\"1440\" w:header=\"720\" "
      "w:footer=\"720\" w:gutter=\"0\"/></w:sectPr>";
  ResultPackage r2 = Join({Write("b2.docx", b), Write("odd.docx", odd)});
  auto sections2 = Select(r2.Xml("word/document.xml"), "//w:sectPr");
  ASSERT_EQ(sections2.size(), 2u);
  auto distance = [](pugi::xml_node sect, const char* which) {
    return std::string(sect.child("w:pgMar").attribute(which).value());
  };
  EXPECT_EQ(distance(sections2[0], "w:header"), "360");
  EXPECT_EQ(distance(sections2[0], "w:footer"), "360");
  EXPECT_EQ(distance(sections2[1], "w:header"), "1157");
  EXPECT_EQ(distance(sections2[1], "w:footer"), "1717");

  // A later document whose header sits below its margin, shown on every page but the first:
  // its first page names an empty header inside the margin, and the real one opens with a
  // blank gap as deep as the distance moved, so both pages keep their text where it was.
  FixtureDoc low;
  low.body = Para("header below the margin");
  low.headers["header1.xml"] = Para("LOW HEADER");
  low.sectPr =
      "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH1\"/><w:pgMar w:top=\"993\" "
      "w:right=\"607\" w:bottom=\"1304\" w:left=\"607\" w:header=\"1378\" w:footer=\"465\" "
      "w:gutter=\"0\"/><w:titlePg/></w:sectPr>";
  ResultPackage r3 = Join({Write("a3.docx", a), Write("low.docx", low)});
  auto sections3 = Select(r3.Xml("word/document.xml"), "//w:sectPr");
  ASSERT_EQ(sections3.size(), 2u);
  EXPECT_EQ(types(sections3[1]), all);
  // A quarter of the margin would be 248, which LibreOffice's rounding to hundredths of a
  // millimetre takes a twip below the margin, moving the page's text; 247 it does not.
  EXPECT_EQ(distance(sections3[1], "w:header"), "247");
  // The part a section names for a kind ("w:headerReference") and type ("first").
  auto partOf = [](ResultPackage& result, pugi::xml_node sect, const char* kind,
                   std::string_view type) {
    for (pugi::xml_node c : sect.children(kind)) {
      if (type != c.attribute("w:type").value()) continue;
      for (pugi::xml_node rel :
           result.Xml("word/_rels/document.xml.rels").document_element().children()) {
        if (std::string_view(c.attribute("r:id").value()) == rel.attribute("Id").value())
          return "word/" + std::string(rel.attribute("Target").value());
      }
    }
    return std::string();
  };
  EXPECT_TRUE(
      Select(r3.Xml(partOf(r3, sections3[1], "w:headerReference", "first")), "//w:t").empty());
  const std::string real = partOf(r3, sections3[1], "w:headerReference", "default");
  EXPECT_NE(r3.Text(real).find("LOW HEADER"), std::string::npos);
  pugi::xml_node gap = r3.Xml(real).document_element().first_child();
  EXPECT_EQ(std::string(gap.child("w:pPr").child("w:spacing").attribute("w:line").value()), "1131");
  EXPECT_EQ(Select(r3.Xml(real), "//w:p").size(), 2u);

  // The same for a footer whose distance is the default one, below a narrow bottom margin:
  // the distance is stated where it was left out, and the gap closes the footer.
  FixtureDoc lowFooter;
  lowFooter.body = Para("footer below the margin");
  lowFooter.headers["footer1.xml"] = Para("LOW FOOTER");
  lowFooter.sectPr =
      "<w:sectPr><w:footerReference w:type=\"default\" r:id=\"rIdH1\"/><w:pgMar w:top=\"1440\" "
      "w:right=\"1440\" w:bottom=\"500\" w:left=\"1440\" w:header=\"720\" w:gutter=\"0\"/>"
      "<w:titlePg/></w:sectPr>";
  ResultPackage r4 = Join({Write("a4.docx", a), Write("lowFooter.docx", lowFooter)});
  auto sections4 = Select(r4.Xml("word/document.xml"), "//w:sectPr");
  ASSERT_EQ(sections4.size(), 2u);
  EXPECT_EQ(distance(sections4[1], "w:footer"), "125");
  const std::string footerPart = partOf(r4, sections4[1], "w:footerReference", "default");
  ASSERT_FALSE(footerPart.empty());
  EXPECT_NE(r4.Text(footerPart).find("LOW FOOTER"), std::string::npos);
  pugi::xml_node closing = r4.Xml(footerPart).document_element().last_child();
  EXPECT_EQ(std::string(closing.child("w:pPr").child("w:spacing").attribute("w:line").value()),
            "595");

  // A kind of header the format does not know ("odd") is never shown, and its part not copied.
  FixtureDoc oddKind;
  oddKind.body = Para("odd kind");
  oddKind.headers["header1.xml"] = Para("ODD KIND");
  oddKind.sectPr = "<w:sectPr><w:headerReference w:type=\"odd\" r:id=\"rIdH1\"/></w:sectPr>";
  ResultPackage r6 = Join({Write("oddKind.docx", oddKind), Write("b6.docx", b)});
  for (const std::string& name : r6.Names()) {
    EXPECT_EQ(r6.Text(name).find("ODD KIND"), std::string::npos) << name;
  }

  // Line numbers are a section's own too. LibreOffice numbers every section once one does, so
  // the result's defaults leave paragraphs uncounted and the numbered document's paragraphs
  // say they count, unless their style leaves them out.
  FixtureDoc numbered;
  numbered.styles =
      "<w:style w:type=\"paragraph\" w:styleId=\"Uncounted\"><w:name w:val=\"Uncounted\"/>"
      "<w:pPr><w:suppressLineNumbers/></w:pPr></w:style>";
  numbered.body = Para("counted line") + Para("uncounted line", "Uncounted") +
                  "<w:p><w:r><w:t>noted</w:t></w:r><w:r><w:footnoteReference "
                  "w:id=\"1\"/></w:r></w:p>";
  // LibreOffice numbers the lines of its notes too, which Word never does: they say they count.
  numbered.footnotes = "<w:footnote w:id=\"1\">" + Para("note line") + "</w:footnote>";
  numbered.sectPr = "<w:sectPr><w:lnNumType w:countBy=\"1\"/></w:sectPr>";
  ResultPackage r5 = Join({Write("b5.docx", b), Write("numbered.docx", numbered)});
  auto& doc5 = r5.Xml("word/document.xml");
  auto counted = [&doc5](const std::string& text) {
    pugi::xml_node p = doc5.select_node(("//w:p[w:r/w:t='" + text + "']").c_str()).node();
    pugi::xml_node s = p.child("w:pPr").child("w:suppressLineNumbers");
    return s ? std::string(s.attribute("w:val").value()) : "unstated";
  };
  EXPECT_EQ(counted("without header"), "unstated");
  EXPECT_EQ(counted("counted line"), "0");
  EXPECT_EQ(counted("uncounted line"), "unstated");
  pugi::xml_node note =
      r5.Xml("word/footnotes.xml").select_node("//w:p[w:r/w:t='note line']").node();
  EXPECT_STREQ(note.child("w:pPr").child("w:suppressLineNumbers").attribute("w:val").value(), "0");
  EXPECT_TRUE(r5.Xml("word/styles.xml")
                  .select_node("//w:docDefaults/w:pPrDefault/w:pPr/w:suppressLineNumbers"));
}

TEST_F(AppendTest, ALaterFirstPageHeaderNeverShowsOnAnEarlierDocument) {
  FixtureDoc plain, cover;
  plain.body = Para("no headers at all");
  cover.settings = "<w:evenAndOddHeaders/>";
  cover.body = Para("with a cover header");
  cover.headers["header1.xml"] = Para("COVER HEADER");
  cover.sectPr =
      "<w:sectPr><w:headerReference w:type=\"first\" r:id=\"rIdH1\"/><w:titlePg/></w:sectPr>";
  ResultPackage r = Join({Write("plain.docx", plain), Write("cover.docx", cover)});
  auto& doc = r.Xml("word/document.xml");
  auto& rels = r.Xml("word/_rels/document.xml.rels");
  auto partOf = [&](pugi::xml_node ref) {
    for (pugi::xml_node rel : rels.document_element().children()) {
      if (std::string_view(ref.attribute("r:id").value()) == rel.attribute("Id").value())
        return "word/" + std::string(rel.attribute("Target").value());
    }
    return std::string();
  };
  auto sections = Select(doc, "//w:sectPr");
  ASSERT_EQ(sections.size(), 2u);
  for (std::size_t s = 0; s < sections.size(); ++s) {
    for (const char* kind : {"w:headerReference", "w:footerReference"}) {
      std::set<std::string> types;
      for (pugi::xml_node ref : sections[s].children(kind)) {
        types.insert(ref.attribute("w:type").value());
        std::string part = partOf(ref);
        ASSERT_TRUE(r.Has(part)) << part;
        // The first document had none: each of its references names a part without text.
        if (s == 0) {
          EXPECT_TRUE(Select(r.Xml(part), "//w:t").empty()) << kind << " " << part;
        }
      }
      // Even pages are named too, since the result asks for odd and even headers.
      EXPECT_EQ(types, (std::set<std::string>{"default", "even", "first"})) << s << " " << kind;
    }
  }
  bool coverShown = false;
  for (pugi::xml_node ref : sections[1].children("w:headerReference")) {
    if (std::string_view(ref.attribute("w:type").value()) == "first")
      coverShown = r.Text(partOf(ref)).find("COVER HEADER") != std::string::npos;
  }
  EXPECT_TRUE(coverShown);
}

TEST_F(AppendTest, AnEvenHeaderIsShownOnlyWhereItsDocumentAskedForIt) {
  FixtureDoc a, b;
  a.settings = "<w:evenAndOddHeaders/>";
  a.body = Para("odd and even");
  a.headers["header1.xml"] = Para("ODD A");
  a.headers["header2.xml"] = Para("EVEN A");
  a.sectPr =
      "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH1\"/>"
      "<w:headerReference w:type=\"even\" r:id=\"rIdH2\"/></w:sectPr>";
  // Word never shows this document's even header: its odd and even pages do not differ.
  b.body = Para("every page alike");
  b.headers["header1.xml"] = Para("EVERY PAGE B");
  b.headers["header2.xml"] = Para("NEVER SHOWN B");
  b.sectPr = a.sectPr;
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b)});
  auto& doc = r.Xml("word/document.xml");
  auto sections = Select(doc, "//w:sectPr");
  ASSERT_EQ(sections.size(), 2u);
  auto ref = [](pugi::xml_node sect, std::string_view type) {
    for (pugi::xml_node c : sect.children("w:headerReference")) {
      if (type == c.attribute("w:type").value()) return std::string(c.attribute("r:id").value());
    }
    return std::string();
  };
  EXPECT_NE(ref(sections[0], "even"), ref(sections[0], "default"));
  ASSERT_FALSE(ref(sections[1], "default").empty());
  EXPECT_EQ(ref(sections[1], "even"), ref(sections[1], "default"));
  // The header that is never shown is not carried either.
  for (const std::string& name : r.Names()) {
    if (name.find("header") == std::string::npos || !name.ends_with(".xml")) continue;
    EXPECT_EQ(r.Text(name).find("NEVER SHOWN B"), std::string::npos) << name;
  }
}

TEST_F(AppendTest, FieldsShowingTheSourcesOwnPropertiesKeepTheirLastResults) {
  auto complex = [](const std::vector<std::string>& instr, const std::string& result) {
    std::string out = "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>";
    for (const std::string& piece : instr)
      out += "<w:r><w:instrText xml:space=\"preserve\">" + piece + "</w:instrText></w:r>";
    return out + "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>" + result +
           "</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>";
  };
  auto simple = [](const std::string& instr, const std::string& result) {
    return "<w:p><w:fldSimple w:instr=\"" + instr + "\"><w:r><w:t>" + result +
           "</w:t></w:r></w:fldSimple></w:p>";
  };
  FixtureDoc a, b;
  a.body = Para("first");
  b.body = complex({" SAVE", "DATE \\@ \"d MMMM yyyy\" "}, "saved") + complex({" DATE "}, "today") +
           simple(" AUTHOR ", "author") + simple(" PAGE ", "page") +
           // A property inside the result of another field: both are judged on their own.
           "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> IF 1 = 1 "
           "</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>"
           " DOCPROPERTY Company </w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/>"
           "</w:r><w:r><w:t>company</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"
           "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>if</w:t></w:r><w:r>"
           "<w:fldChar w:fldCharType=\"end\"/></w:r></w:p>";
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b)});
  auto& doc = r.Xml("word/document.xml");
  std::vector<std::string> begins;
  for (pugi::xml_node c : Select(doc, "//w:fldChar[@w:fldCharType='begin']"))
    begins.push_back(c.attribute("w:fldLock").value());
  EXPECT_EQ(begins,
            (std::vector<std::string>{"1", "", "", "1"}));  // SAVEDATE, DATE, IF, DOCPROPERTY
  std::vector<std::string> simples;
  for (pugi::xml_node f : Select(doc, "//w:fldSimple"))
    simples.push_back(f.attribute("w:fldLock").value());
  EXPECT_EQ(simples, (std::vector<std::string>{"1", ""}));  // AUTHOR, PAGE
}

TEST_F(AppendTest, EmbeddedFontsAreKeptOnceWithTheirKeysAndTheSettingThatAsksForThem) {
  const std::string key = "{0A1B2C3D-1111-2222-3333-444455556666}";
  const std::string fancy = "<w:font w:name=\"Fancy\"><w:embedRegular r:id=\"rIdF1\" w:fontKey=\"" +
                            key + "\"/></w:font>";
  FixtureDoc a, b, c;
  a.body = Para("no fonts of its own");
  b.body = Para("fancy");
  b.fonts = fancy + "<w:font w:name=\"Plain\"/>";
  b.fontFiles["fonts/font1.odttf"] = std::string(64, 'F');
  b.settings = "<w:embedTrueTypeFonts/><w:saveSubsetFonts/>";
  c.body = Para("fancy again");
  c.fonts = fancy;
  c.fontFiles["fonts/font1.odttf"] = std::string(64, 'F');
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b), Write("c.docx", c)});
  auto& table = r.Xml("word/fontTable.xml");
  auto faces = Select(table, "//w:font[@w:name='Fancy']");
  ASSERT_EQ(faces.size(), 1u);
  pugi::xml_node embed = faces[0].child("w:embedRegular");
  EXPECT_EQ(embed.attribute("w:fontKey").value(), key);
  std::string target;
  for (pugi::xml_node rel : r.Xml("word/_rels/fontTable.xml.rels").document_element().children()) {
    if (std::string_view(embed.attribute("r:id").value()) == rel.attribute("Id").value())
      target = rel.attribute("Target").value();
  }
  ASSERT_FALSE(target.empty());
  EXPECT_EQ(r.Text("word/" + target), std::string(64, 'F'));
  int fontParts = 0;
  for (const std::string& name : r.Names()) fontParts += name.ends_with(".odttf") ? 1 : 0;
  EXPECT_EQ(fontParts, 1);
  EXPECT_TRUE(r.Xml("word/settings.xml").document_element().child("w:embedTrueTypeFonts"));
}

TEST_F(AppendTest, SameNamedStylesAreSharedWhenEqualAndKeptApartWhenNot) {
  const std::string bold =
      "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"heading 1\"/>"
      "<w:basedOn w:val=\"Normal\"/><w:rPr><w:b/></w:rPr></w:style>";
  const std::string italic =
      "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"heading 1\"/>"
      "<w:basedOn w:val=\"Normal\"/><w:rPr><w:i/></w:rPr></w:style>";
  // LibreOffice reads Word's "Body Text" as its own "Text Body": a later document's "Text Body"
  // must not keep that name, or it restyles the earlier document's body text.
  const std::string bodyText =
      "<w:style w:type=\"paragraph\" w:styleId=\"BodyText\"><w:name w:val=\"Body Text\"/>"
      "<w:basedOn w:val=\"Normal\"/><w:pPr><w:spacing w:after=\"120\"/></w:pPr></w:style>";
  const std::string textBody =
      "<w:style w:type=\"paragraph\" w:styleId=\"TextBody\"><w:name w:val=\"Text Body\"/>"
      "<w:basedOn w:val=\"Normal\"/><w:rPr><w:sz w:val=\"48\"/></w:rPr></w:style>";
  // Word draws line numbers in "line number" though no text names it.
  const std::string lineNumber =
      "<w:style w:type=\"character\" w:styleId=\"LineNumber\"><w:name w:val=\"line number\"/>"
      "<w:rPr><w:sz w:val=\"14\"/></w:rPr></w:style>";
  FixtureDoc a, b, c, d;
  a.styles = bold + bodyText;
  a.body = Para("A heading", "Heading1") + Para("A body", "BodyText");
  b.styles = italic + lineNumber;
  b.body = Para("B heading", "Heading1") +
           "<w:p><w:pPr><w:sectPr><w:lnNumType w:countBy=\"1\"/></w:sectPr></w:pPr></w:p>";
  c.styles = bold;
  c.body = Para("C heading", "Heading1");
  d.styles = textBody;
  d.body = Para("D body", "TextBody");
  ResultPackage r =
      Join({Write("a.docx", a), Write("b.docx", b), Write("c.docx", c), Write("d.docx", d)});
  auto& doc = r.Xml("word/document.xml");
  std::string sa = StyleOf(doc, "A heading"), sb = StyleOf(doc, "B heading"),
              sc = StyleOf(doc, "C heading");
  EXPECT_EQ(sa, "Heading1");
  EXPECT_EQ(sc, sa);
  EXPECT_NE(sb, sa);
  auto& styles = r.Xml("word/styles.xml");
  std::set<std::string> ids, names;
  for (pugi::xml_node s : Select(styles, "//w:style")) {
    EXPECT_TRUE(ids.insert(s.attribute("w:styleId").value()).second) << "duplicate style id";
    EXPECT_TRUE(names.insert(s.child("w:name").attribute("w:val").value()).second)
        << "duplicate style name";
  }
  pugi::xml_node copy = styles.select_node(("//w:style[@w:styleId='" + sb + "']").c_str()).node();
  ASSERT_TRUE(copy);
  EXPECT_TRUE(copy.child("w:rPr").child("w:i"));
  EXPECT_EQ(names.count("Body Text"), 1u);
  EXPECT_EQ(names.count("Text Body"), 0u);
  pugi::xml_node large =
      styles.select_node(("//w:style[@w:styleId='" + StyleOf(doc, "D body") + "']").c_str()).node();
  EXPECT_TRUE(large.child("w:rPr").child("w:sz"));
  EXPECT_TRUE(styles.select_node("//w:style[w:name/@w:val='line number']/w:rPr/w:sz[@w:val='14']"));
}

TEST_F(AppendTest, ALaterDocumentsDefaultsAreCarriedIntoItsOwnStyles) {
  FixtureDoc a, b, c;
  a.docDefaults =
      "<w:rPrDefault><w:rPr><w:b w:val=\"0\"/><w:sz w:val=\"22\"/></w:rPr></w:rPrDefault>"
      "<w:pPrDefault><w:pPr><w:ind w:left=\"284\"/></w:pPr></w:pPrDefault>";
  a.normal = "<w:rPr><w:rFonts w:ascii=\"Arial\" w:hAnsi=\"Arial\"/></w:rPr>";
  a.body = Para("eleven point");
  b.docDefaults =
      "<w:rPrDefault><w:rPr><w:color w:val=\"1F497D\" w:themeColor=\"text2\"/>"
      "<w:sz w:val=\"32\"/></w:rPr></w:rPrDefault>";
  // Its own hanging indent, bold and colour: the first line indent, the "not bold" and the
  // theme colour carried from the defaults may not join them.
  b.normal =
      "<w:pPr><w:ind w:left=\"1021\" w:hanging=\"1021\"/></w:pPr>"
      "<w:rPr><w:b/><w:color w:val=\"FF0000\"/></w:rPr>";
  // A style named but not defined falls back on the document's own defaults, as it does alone.
  b.body = Para("sixteen point") + Para("undefined style", "Heading7");
  // As an HTML converter writes it: no default paragraph style, so unstyled text takes the
  // defaults alone, not the first document's Normal with its font.
  c.hasNormal = false;
  c.docDefaults =
      "<w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Times New Roman\"/></w:rPr>"
      "</w:rPrDefault>";
  c.body = Para("no default style");
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b), Write("c.docx", c)});
  auto& doc = r.Xml("word/document.xml");
  std::string sb = StyleOf(doc, "sixteen point");
  ASSERT_FALSE(sb.empty());
  EXPECT_EQ(StyleOf(doc, "undefined style"), sb);
  auto& styles = r.Xml("word/styles.xml");
  pugi::xml_node copy = styles.select_node(("//w:style[@w:styleId='" + sb + "']").c_str()).node();
  ASSERT_TRUE(copy);
  EXPECT_EQ(std::string(copy.child("w:rPr").child("w:sz").attribute("w:val").value()), "32");
  pugi::xml_node ind = copy.child("w:pPr").child("w:ind");
  EXPECT_STREQ(ind.attribute("w:left").value(), "1021");
  EXPECT_STREQ(ind.attribute("w:hanging").value(), "1021");
  EXPECT_FALSE(ind.attribute("w:firstLine"));
  ASSERT_TRUE(copy.child("w:rPr").child("w:b"));
  EXPECT_TRUE(copy.child("w:rPr").child("w:b").attribute("w:val").as_bool(true));
  EXPECT_FALSE(copy.child("w:rPr").child("w:color").attribute("w:themeColor"));
  std::string sc = StyleOf(doc, "no default style");
  ASSERT_FALSE(sc.empty());
  pugi::xml_node own = styles.select_node(("//w:style[@w:styleId='" + sc + "']").c_str()).node();
  ASSERT_TRUE(own);
  EXPECT_STREQ(own.child("w:rPr").child("w:rFonts").attribute("w:ascii").value(),
               "Times New Roman");

  // Older LibreOffice names its default Normal without marking it: that style stays the one.
  FixtureDoc old;
  old.hasNormal = false;
  old.styles =
      "<w:style w:type=\"paragraph\" w:styleId=\"style0\"><w:name w:val=\"Normal\"/><w:rPr>"
      "<w:sz w:val=\"24\"/></w:rPr></w:style>";
  old.body = Para("old writer", "style0");
  ResultPackage alone = Join({Write("old.docx", old)});
  auto named = Select(alone.Xml("word/styles.xml"), "//w:style[@w:type='paragraph']/w:name");
  ASSERT_EQ(named.size(), 1u);
  EXPECT_STREQ(named[0].attribute("w:val").value(), "Normal");
}

TEST_F(AppendTest, ALaterDocumentsParagraphDefaultsReachItsTablesThroughItsTableStyle) {
  const std::string tableNormal =
      "<w:style w:type=\"table\" w:default=\"1\" w:styleId=\"TableNormal\">"
      "<w:name w:val=\"Normal Table\"/><w:tblPr><w:tblInd w:w=\"0\" w:type=\"dxa\"/>"
      "</w:tblPr></w:style>";
  const std::string table =
      "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr><w:tblGrid>"
      "<w:gridCol w:w=\"2000\"/></w:tblGrid><w:tr><w:tc><w:tcPr><w:tcW w:w=\"2000\" "
      "w:type=\"dxa\"/></w:tcPr>" +
      Para("in a cell") + "</w:tc></w:tr></w:tbl>";
  FixtureDoc a, b, c;
  a.docDefaults =
      "<w:rPrDefault><w:rPr><w:sz w:val=\"24\"/></w:rPr></w:rPrDefault>"
      "<w:pPrDefault><w:pPr><w:spacing w:after=\"200\" w:line=\"276\" w:lineRule=\"auto\"/>"
      "</w:pPr></w:pPrDefault>";
  a.styles = tableNormal;
  a.body = Para("first");
  b.styles = tableNormal;
  b.body = table + Para("after the table");
  c.docDefaults = a.docDefaults;
  c.styles = tableNormal;
  c.body = table + Para("same defaults");
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b), Write("c.docx", c)});
  auto& doc = r.Xml("word/document.xml");
  auto& styles = r.Xml("word/styles.xml");
  auto tables = Select(doc, "//w:tbl");
  ASSERT_EQ(tables.size(), 2U);
  // The second document's tables name its own default table style, which states its spacing.
  std::string named = tables[0].child("w:tblPr").child("w:tblStyle").attribute("w:val").value();
  ASSERT_FALSE(named.empty());
  pugi::xml_node style =
      styles.select_node(("//w:style[@w:styleId='" + named + "']").c_str()).node();
  ASSERT_TRUE(style);
  EXPECT_STREQ(style.attribute("w:type").value(), "table");
  pugi::xml_node spacing = style.child("w:pPr").child("w:spacing");
  EXPECT_STREQ(spacing.attribute("w:after").value(), "0");
  EXPECT_STREQ(spacing.attribute("w:line").value(), "240");
  EXPECT_STREQ(style.child("w:rPr").child("w:sz").attribute("w:val").value(), "20");
  // A document with the result's own defaults gets no spacing of another's in its tables.
  std::string third = tables[1].child("w:tblPr").child("w:tblStyle").attribute("w:val").value();
  EXPECT_NE(third, named);
  if (!third.empty()) {
    pugi::xml_node own =
        styles.select_node(("//w:style[@w:styleId='" + third + "']").c_str()).node();
    EXPECT_FALSE(own.child("w:pPr").child("w:spacing"));
  }
}

TEST_F(AppendTest, LayoutSettingsFollowMostOfTheText) {
  FixtureDoc a, b;
  a.settings =
      "<w:view w:val=\"web\"/><w:defaultTabStop w:val=\"720\"/><w:footnotePr><w:pos "
      "w:val=\"beneathText\"/></w:footnotePr><w:decimalSymbol w:val=\".\"/><w:listSeparator "
      "w:val=\",\"/>";
  a.body = Para("short");
  b.settings =
      "<w:defaultTabStop w:val=\"708\"/><w:decimalSymbol w:val=\",\"/>"
      "<w:listSeparator w:val=\";\"/>";
  for (int i = 0; i < 50; ++i) b.body += Para("a much longer document, with decimal commas");
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b)});
  pugi::xml_node settings = r.Xml("word/settings.xml").document_element();
  EXPECT_STREQ(settings.child("w:decimalSymbol").attribute("w:val").value(), ",");
  EXPECT_STREQ(settings.child("w:listSeparator").attribute("w:val").value(), ";");
  // Footnotes go where most of the text had them: at the page bottom, the default.
  EXPECT_FALSE(settings.child("w:footnotePr").child("w:pos"));
  // Only the first asked for web layout, which would take the automatic space between
  // paragraphs away from the second in LibreOffice.
  EXPECT_FALSE(settings.child("w:view"));

  // Punctuation is compressed as most of the East Asian text had it, however much other text
  // said otherwise: only East Asian punctuation is compressed.
  FixtureDoc chinese;
  chinese.settings = "<w:characterSpacingControl w:val=\"compressPunctuation\"/>";
  chinese.body = Para("\u6d4b\u8bd5\uff0c\u6807\u70b9\u3002");
  a.settings = "<w:characterSpacingControl w:val=\"doNotCompress\"/>";
  // So are its line-breaking rules and the compatibility options for East Asian text alone,
  // while the other options still follow most of the text.
  chinese.settings +=
      "<w:strictFirstAndLastChars/><w:noLineBreaksAfter w:lang=\"zh-CN\" "
      "w:val=\"$([{\"/><w:compat><w:spaceForUL/><w:balanceSingleByteDoubleByteWidth/>"
      "<w:doNotLeaveBackslashAlone/></w:compat>";
  b.settings += "<w:compat><w:noLeading/></w:compat>";
  ResultPackage mixed = Join({Write("w1.docx", a), Write("zh.docx", chinese), Write("w2.docx", b)});
  pugi::xml_node joined = mixed.Xml("word/settings.xml").document_element();
  EXPECT_STREQ(joined.child("w:characterSpacingControl").attribute("w:val").value(),
               "compressPunctuation");
  EXPECT_TRUE(joined.child("w:strictFirstAndLastChars"));
  EXPECT_STREQ(joined.child("w:noLineBreaksAfter").attribute("w:val").value(), "$([{");
  std::string compat;
  for (pugi::xml_node c : joined.child("w:compat").children())
    compat += c.name() + std::string(" ");
  EXPECT_EQ(compat, "w:noLeading w:spaceForUL w:balanceSingleByteDoubleByteWidth w:compatSetting ");

  // Each option follows most of the text on its own, and text is what counts, not markup: a
  // document with more text than each of two others, but less than both, gives its options to
  // none, though they differ in their decimal symbol and it has by far the most markup.
  FixtureDoc legacy, comma, semicolon;
  legacy.settings = "<w:compat><w:splitPgBreakAndParaMark/><w:noLeading/></w:compat>";
  for (int i = 0; i < 30; ++i) {
    legacy.body +=
        "<w:p><w:pPr><w:spacing w:before=\"0\" w:after=\"0\"/><w:rPr><w:rFonts "
        "w:ascii=\"Arial\" w:hAnsi=\"Arial\" w:cs=\"Arial\"/></w:rPr></w:pPr><w:r><w:rPr><w:rFonts "
        "w:ascii=\"Arial\" w:hAnsi=\"Arial\" w:cs=\"Arial\"/><w:sz w:val=\"20\"/></w:rPr><w:t>ten "
        "chars</w:t></w:r></w:p>";
  }
  comma.settings = "<w:decimalSymbol w:val=\",\"/>";
  semicolon.settings = "<w:listSeparator w:val=\";\"/>";
  for (int i = 0; i < 5; ++i) {
    comma.body += Para("fifty characters of plain text in one paragraph..");
    semicolon.body += Para("fifty characters of plain text in one paragraph..");
  }
  ResultPackage voted = Join({Write("comma.docx", comma), Write("legacy.docx", legacy),
                              Write("semicolon.docx", semicolon)});
  pugi::xml_node votedCompat = voted.Xml("word/settings.xml").document_element().child("w:compat");
  EXPECT_FALSE(votedCompat.child("w:splitPgBreakAndParaMark"));
  EXPECT_FALSE(votedCompat.child("w:noLeading"));

  // An option given twice holds as last given, in a join of one as in the document alone.
  FixtureDoc twice;
  auto option = [](const char* val) {
    return std::string(
               "<w:compatSetting w:name=\"overrideTableStyleFontSizeAndJustification\" "
               "w:uri=\"http://schemas.microsoft.com/office/word\" w:val=\"") +
           val + "\"/>";
  };
  twice.settings = "<w:compat>" + option("1") + option("1") + option("0") + "</w:compat>";
  twice.body = Para("twice");
  ResultPackage alone = Join({Write("twice.docx", twice)});
  auto given = Select(alone.Xml("word/settings.xml"),
                      "//w:compatSetting[@w:name='overrideTableStyleFontSizeAndJustification']");
  ASSERT_EQ(given.size(), 1u);
  EXPECT_STREQ(given[0].attribute("w:val").value(), "0");

  // Whether tracked changes show is the first document's that holds them: one without any
  // cannot hide another's, nor show those another hid.
  FixtureDoc hides, shows, plain;
  hides.settings = "<w:revisionView w:insDel=\"0\" w:formatting=\"0\"/>";
  hides.body = "<w:p><w:ins w:id=\"1\" w:author=\"A\"><w:r><w:t>added</w:t></w:r></w:ins></w:p>";
  shows.body = hides.body;
  plain.settings = hides.settings;
  plain.body = Para("nothing tracked");
  auto view = [](ResultPackage& result) {
    pugi::xml_node v = result.Xml("word/settings.xml").document_element().child("w:revisionView");
    std::string out;
    for (pugi::xml_attribute at : v.attributes())
      out += std::string(at.name()) + "=" + at.value() + " ";
    return out;
  };
  ResultPackage hidden = Join({Write("p1.docx", plain), Write("h.docx", hides)});
  EXPECT_EQ(view(hidden), "w:insDel=0 ");
  ResultPackage shown =
      Join({Write("p2.docx", plain), Write("s.docx", shows), Write("h2.docx", hides)});
  EXPECT_EQ(view(shown), "");
}

// A page colour holds for the whole file: a document keeps its own when joined alone or with
// others of the same colour, and gives it up rather than colour another's pages.
TEST_F(AppendTest, APageColourIsKeptWhileEveryDocumentHasTheSame) {
  FixtureDoc coloured, other, plain;
  auto withColour = [](const std::string& colour) {
    return std::string("<w:document") + kNs + "><w:background w:color=\"" + colour +
           "\"/><w:body>" + Para("coloured") + FixtureDoc().sectPr + "</w:body></w:document>";
  };
  coloured.documentXml = withColour("fff2cc");
  other.documentXml = withColour("DDEBF7");
  plain.body = Para("white");
  auto colourOf = [](ResultPackage& r) {
    return std::string(r.Xml("word/document.xml")
                           .document_element()
                           .child("w:background")
                           .attribute("w:color")
                           .value());
  };
  ResultPackage alone = Join({Write("c.docx", coloured)});
  EXPECT_EQ(colourOf(alone), "FFF2CC");
  ResultPackage same = Join({Write("c1.docx", coloured), Write("c2.docx", coloured)});
  EXPECT_EQ(colourOf(same), "FFF2CC");
  for (const auto& set :
       {std::vector<FixtureDoc>{coloured, plain, coloured},
        std::vector<FixtureDoc>{plain, coloured}, std::vector<FixtureDoc>{coloured, other}}) {
    std::vector<std::string> paths;
    for (const FixtureDoc& d : set)
      paths.push_back(Write(std::to_string(paths.size()) + ".docx", d));
    ResultPackage mixed = Join(paths);
    EXPECT_EQ(colourOf(mixed), "");
  }
}

// The interval between default tab stops holds for the whole result. It stays the first
// document's, so nothing already joined moves, and a later document with another interval
// states its stops in each paragraph that has a tab, after the paragraph's own last stop.
TEST_F(AppendTest, ALaterDocumentKeepsItsOwnDefaultTabStops) {
  FixtureDoc a, b;
  a.settings = "<w:defaultTabStop w:val=\"720\"/>";
  a.body = "<w:p><w:r><w:t>a</w:t><w:tab/><w:t>b</w:t></w:r></w:p>";
  b.settings = "<w:defaultTabStop w:val=\"1cm\"/>";  // 567 twips
  b.styles =
      "<w:style w:type=\"paragraph\" w:styleId=\"Tabbed\"><w:name w:val=\"Tabbed\"/>"
      "<w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"2000\"/><w:tab w:val=\"left\" "
      "w:pos=\"9000\"/></w:tabs></w:pPr></w:style>"
      // A style that names the list and indents its items itself.
      "<w:style w:type=\"paragraph\" w:styleId=\"Listed\"><w:name w:val=\"Listed\"/><w:pPr>"
      "<w:numPr><w:numId w:val=\"1\"/></w:numPr><w:ind w:left=\"3969\" w:hanging=\"2268\"/>"
      "</w:pPr></w:style>";
  b.body =
      "<w:p><w:r><w:t>no tab</w:t></w:r></w:p>"
      "<w:p><w:pPr><w:pStyle w:val=\"Tabbed\"/><w:tabs><w:tab w:val=\"clear\" "
      "w:pos=\"9000\"/></w:tabs></w:pPr><w:r><w:t>x</w:t><w:tab/><w:t>y</w:t></w:r></w:p>"
      "<w:p><w:r><w:t>c</w:t><w:tab/><w:t>d</w:t></w:r></w:p>"
      "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr>"
      "<w:r><w:t>item</w:t></w:r></w:p>"
      "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"1\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr>"
      "<w:r><w:t>item</w:t></w:r></w:p>"
      "<w:p><w:pPr><w:pStyle w:val=\"Listed\"/></w:pPr><w:r><w:t>item</w:t></w:r></w:p>";
  // A long number runs past its hanging indent: the tab after it goes to the next default stop.
  b.numbering =
      "<w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:numFmt w:val=\"decimal\"/>"
      "<w:lvlText w:val=\"4.2.1.5.%1.\"/><w:pPr><w:ind w:left=\"720\" w:hanging=\"360\"/>"
      "</w:pPr></w:lvl><w:lvl w:ilvl=\"1\"><w:numFmt w:val=\"decimal\"/><w:suff "
      "w:val=\"space\"/><w:lvlText w:val=\"%2.\"/></w:lvl></w:abstractNum>"
      "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>";
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b)});
  pugi::xml_node settings = r.Xml("word/settings.xml").document_element();
  EXPECT_STREQ(settings.child("w:defaultTabStop").attribute("w:val").value(), "720");
  auto paragraphs = Select(r.Xml("word/document.xml"), "//w:body/w:p");
  ASSERT_GE(paragraphs.size(), 6u);
  auto stopsOf = [](pugi::xml_node p) {
    std::vector<std::string> stops;
    for (pugi::xml_node t : p.child("w:pPr").child("w:tabs").children("w:tab"))
      stops.push_back(std::string(t.attribute("w:val").value()) + "@" +
                      t.attribute("w:pos").value());
    return stops;
  };
  EXPECT_TRUE(stopsOf(paragraphs[0]).empty()) << "the first document keeps the result's stops";
  EXPECT_TRUE(stopsOf(paragraphs[1]).empty()) << "a paragraph without a tab needs none";
  // The style's stop at 2000 stays the last of its own once the paragraph clears 9000; the
  // default stops of 1 cm follow it up to the right margin.
  std::vector<std::string> styled = stopsOf(paragraphs[2]);
  ASSERT_GE(styled.size(), 3u);
  EXPECT_EQ(styled[0], "clear@9000");
  EXPECT_EQ(styled[1], "left@2268");
  EXPECT_EQ(styled.back(), "left@9072");
  std::vector<std::string> plain = stopsOf(paragraphs[3]);
  ASSERT_FALSE(plain.empty());
  EXPECT_EQ(plain.front(), "left@567");
  EXPECT_EQ(plain.size(), 16u);  // 567 to 9072, as far as the text is wide
  // A list item's stops start past its level's indent; a number followed by a space has no tab.
  std::vector<std::string> listed = stopsOf(paragraphs[4]);
  ASSERT_FALSE(listed.empty()) << "the tab after a list number needs the document's stops";
  EXPECT_EQ(listed.front(), "left@1134");
  EXPECT_TRUE(stopsOf(paragraphs[5]).empty());
  // Where a style names the list, its own indent outranks the level's: no stop before it
  // would catch the tab after the number.
  ASSERT_GE(paragraphs.size(), 7u);
  std::vector<std::string> byStyle = stopsOf(paragraphs[6]);
  ASSERT_FALSE(byStyle.empty());
  EXPECT_EQ(byStyle.front(), "left@4536");
}

TEST_F(AppendTest, ListsOfDifferentDocumentsNeverContinueEachOther) {
  const std::string numbering =
      "<w:abstractNum w:abstractNumId=\"0\"><w:nsid w:val=\"12345678\"/><w:lvl w:ilvl=\"0\">"
      "<w:start w:val=\"3\"/><w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/></w:lvl>"
      "</w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>";
  const std::string item =
      "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr>"
      "<w:r><w:t>item</w:t></w:r></w:p>";
  FixtureDoc a;
  a.numbering = numbering;
  a.body = item + item;
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", a)});
  auto& doc = r.Xml("word/document.xml");
  std::vector<std::string> numIds;
  for (pugi::xml_node n : Select(doc, "//w:numPr/w:numId"))
    numIds.push_back(n.attribute("w:val").value());
  ASSERT_EQ(numIds.size(), 4u);
  EXPECT_EQ(numIds[0], numIds[1]);
  EXPECT_NE(numIds[1], numIds[2]);
  auto& num = r.Xml("word/numbering.xml");
  auto abstracts = Select(num, "//w:abstractNum");
  ASSERT_EQ(abstracts.size(), 2u);
  EXPECT_STRNE(abstracts[0].child("w:nsid").attribute("w:val").value(),
               abstracts[1].child("w:nsid").attribute("w:val").value());
  EXPECT_STRNE(abstracts[0].attribute("w:abstractNumId").value(),
               abstracts[1].attribute("w:abstractNumId").value());
  for (pugi::xml_node def : abstracts) {
    EXPECT_STREQ(def.child("w:lvl").child("w:start").attribute("w:val").value(), "3");
  }
  // Every instance names an existing definition.
  std::set<std::string> defined;
  for (pugi::xml_node def : abstracts) defined.insert(def.attribute("w:abstractNumId").value());
  for (pugi::xml_node n : Select(num, "//w:num")) {
    EXPECT_EQ(defined.count(n.child("w:abstractNumId").attribute("w:val").value()), 1u);
  }

  // Saved after every document, as the join run saves, the lists' definitions and instances
  // grow in two places at once and later saves write only what is new of them.
  Joiner each;
  const std::string path = (dir_ / "each.doc").string();
  constexpr std::size_t kCount = 40;
  for (std::size_t i = 0; i < kCount; ++i) {
    ASSERT_TRUE(each.Insert(Write("a.docx", a)).ok());
    ASSERT_TRUE(each.Save(path).ok());
  }
  each.Release();
  ResultPackage saved(path);
  auto& grown = saved.Xml("word/numbering.xml");
  ASSERT_EQ(Select(grown, "//w:abstractNum").size(), kCount);
  ASSERT_EQ(Select(grown, "//w:num").size(), kCount);
  EXPECT_TRUE(Select(grown, "//w:num[1]/following-sibling::w:abstractNum").empty());
  EXPECT_EQ(Select(saved.Xml("word/document.xml"), "//w:numPr").size(), 2 * kCount);
}

TEST_F(AppendTest, IdenticalPicturesAreStoredOnceAndEveryReferenceResolves) {
  std::string png("\x89PNG\r\n\x1a\n", 8);
  png += std::string(200, 'x');
  const std::string picture =
      "<w:p><w:r><w:drawing><wp:inline><wp:extent cx=\"10\" cy=\"10\"/><wp:docPr id=\"1\" "
      "name=\"p\"/><a:graphic><a:graphicData "
      "uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><pic:pic><pic:nvPicPr>"
      "<pic:cNvPr id=\"0\" name=\"p\"/><pic:cNvPicPr/></pic:nvPicPr><pic:blipFill><a:blip "
      "r:embed=\"rIdM1\"/></pic:blipFill><pic:spPr/></pic:pic></a:graphicData></a:graphic>"
      "</wp:inline></w:drawing></w:r></w:p>";
  FixtureDoc a;
  a.media["media/image1.png"] = png;
  a.body = picture;
  FixtureDoc b = a;
  b.media["media/image1.png"] = png + "different";
  // A writer that declared a picture's type as its extension: the result states a media type.
  FixtureDoc c;
  c.media["media/photo.jpg"] = std::string("\xff\xd8\xff\xe0", 4) + std::string(100, 'j');
  c.extraTypes = "<Override PartName=\"/word/media/photo.jpg\" ContentType=\"jpg\"/>";
  c.body = picture;
  ResultPackage r =
      Join({Write("a.docx", a), Write("a2.docx", a), Write("b.docx", b), Write("c.docx", c)});
  std::size_t media = 0;
  for (const std::string& n : r.Names()) {
    if (n.starts_with("word/media/")) ++media;
  }
  EXPECT_EQ(media, 3u);
  std::string jpegTypes;
  for (pugi::xml_node o : Select(r.Xml("[Content_Types].xml"), "//*[local-name()='Override']")) {
    if (std::string_view(o.attribute("PartName").value()).ends_with(".jpg")) {
      jpegTypes += o.attribute("ContentType").value();
    }
  }
  EXPECT_EQ(jpegTypes, "image/jpeg");
  auto& doc = r.Xml("word/document.xml");
  auto& rels = r.Xml("word/_rels/document.xml.rels");
  std::set<std::string> docPrIds;
  for (pugi::xml_node d : Select(doc, "//wp:docPr")) {
    EXPECT_TRUE(docPrIds.insert(d.attribute("id").value()).second) << "duplicate docPr id";
  }
  for (pugi::xml_node blip : Select(doc, "//a:blip")) {
    std::string id = blip.attribute("r:embed").value();
    pugi::xml_node rel = rels.select_node(("//*[@Id='" + id + "']").c_str()).node();
    ASSERT_TRUE(rel) << id;
    EXPECT_TRUE(r.Has("word/" + std::string(rel.attribute("Target").value())));
  }
}

}  // namespace
}  // namespace plenwick::word::test
