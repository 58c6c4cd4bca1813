// What keeps a later document's look when the result's defaults and layout options are another
// document's: spacing it never stated, its table styles, automatic and summed paragraph spacing,
// its theme's fonts and colours, hyphenation, gutters and mirrored margins, note numbering.
#include <gtest/gtest.h>

#include "DocxFixture.h"
#include "JoinHelpers.h"

namespace plenwick::word::test {
namespace {

std::string Para(const std::string& text, const std::string& pPr = "") {
  return "<w:p>" + (pPr.empty() ? "" : "<w:pPr>" + pPr + "</w:pPr>") + "<w:r><w:t>" + text +
         "</w:t></w:r></w:p>";
}

pugi::xml_node ParagraphWith(pugi::xml_document& doc, const std::string& text) {
  for (pugi::xml_node t : Select(doc, "//w:t")) {
    if (text == t.text().get()) return t.parent().parent();
  }
  return {};
}

const char* const kWordDefaults =
    "<w:rPrDefault><w:rPr><w:sz w:val=\"24\"/></w:rPr></w:rPrDefault>"
    "<w:pPrDefault><w:pPr><w:spacing w:after=\"200\" w:line=\"276\" w:lineRule=\"auto\"/>"
    "</w:pPr></w:pPrDefault>";

class LookTest : public JoinTest {
 protected:
  // The value a paragraph's style (or the styles it is based on) gives an attribute.
  static std::string Styled(pugi::xml_document& styles, pugi::xml_node paragraph,
                            const char* element, const char* attribute,
                            const char* properties = "w:pPr") {
    std::string id = paragraph.child("w:pPr").child("w:pStyle").attribute("w:val").value();
    for (int depth = 0; depth < 8 && !id.empty(); ++depth) {
      pugi::xml_node style =
          styles.select_node(("//w:style[@w:styleId='" + id + "']").c_str()).node();
      pugi::xml_attribute a = style.child(properties).child(element).attribute(attribute);
      if (a) return a.value();
      id = style.child("w:basedOn").attribute("w:val").value();
    }
    return "";
  }
};

TEST_F(LookTest, SpacingADocumentNeverStatedStaysWhatItWasAlone) {
  FixtureDoc a, b;
  a.docDefaults = kWordDefaults;
  a.body = Para("first");
  // Space after only: its lines are single, not the result's 1.15.
  b.docDefaults = "<w:pPrDefault><w:pPr><w:spacing w:after=\"120\"/></w:pPr></w:pPrDefault>";
  b.body = Para("second");
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b)});
  auto& doc = r.Xml("word/document.xml");
  auto& styles = r.Xml("word/styles.xml");
  pugi::xml_node second = ParagraphWith(doc, "second");
  ASSERT_TRUE(second);
  EXPECT_EQ(Styled(styles, second, "w:spacing", "w:after"), "120");
  EXPECT_EQ(Styled(styles, second, "w:spacing", "w:line"), "240");
  EXPECT_EQ(Styled(styles, second, "w:spacing", "w:lineRule"), "auto");

  // A first document without defaults leaves the result without run defaults, and each word
  // processor then takes its own (LibreOffice's are 11 pt and kerned): the later document states
  // what it fell back on alone, Word's. Its paragraph defaults are stated: LibreOffice
  // takes Word's only where they are, and keeps widows and orphans apart where they are not.
  FixtureDoc bare;
  bare.hasDocDefaults = false;
  bare.body = Para("bare");
  ResultPackage r2 = Join({Write("bare.docx", bare), Write("b.docx", b)});
  auto& doc2 = r2.Xml("word/document.xml");
  auto& styles2 = r2.Xml("word/styles.xml");
  EXPECT_TRUE(Select(styles2, "//w:rPrDefault").empty());
  const auto paragraphDefaults = Select(styles2, "/w:styles/w:docDefaults/w:pPrDefault");
  ASSERT_EQ(paragraphDefaults.size(), 1u);
  // They state no space before or after, as Word takes it: where they left a side unset,
  // LibreOffice filled it for a paragraph stating only the other side from the style of an
  // earlier paragraph that ends a section, another document's.
  pugi::xml_node stated = paragraphDefaults[0].child("w:pPr");
  EXPECT_STREQ(stated.child("w:spacing").attribute("w:before").value(), "0");
  EXPECT_STREQ(stated.child("w:spacing").attribute("w:after").value(), "0");
  EXPECT_EQ(std::distance(stated.begin(), stated.end()), 1);
  second = ParagraphWith(doc2, "second");
  ASSERT_TRUE(second);
  EXPECT_EQ(Styled(styles2, second, "w:spacing", "w:after"), "120");
  EXPECT_EQ(Styled(styles2, second, "w:spacing", "w:line"), "240");
  EXPECT_EQ(Styled(styles2, second, "w:sz", "w:val", "w:rPr"), "20");
  EXPECT_EQ(Styled(styles2, second, "w:kern", "w:val", "w:rPr"), "0");
  // The first document is left to the defaults it had alone.
  pugi::xml_node first = ParagraphWith(doc2, "bare");
  ASSERT_TRUE(first);
  EXPECT_EQ(Styled(styles2, first, "w:sz", "w:val", "w:rPr"), "");

  // A paragraph style called Normal that is not marked as the default is the default meant:
  // the paragraphs naming no style keep their look after another document, not take its.
  FixtureDoc unmarked;
  unmarked.hasNormal = false;
  unmarked.styles =
      "<w:style w:type=\"paragraph\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>";
  unmarked.body = Para("unmarked");
  ResultPackage r3 = Join({Write("a3.docx", a), Write("unmarked.docx", unmarked)});
  auto& styles3 = r3.Xml("word/styles.xml");
  pugi::xml_node third = ParagraphWith(r3.Xml("word/document.xml"), "unmarked");
  ASSERT_TRUE(third);
  EXPECT_EQ(Styled(styles3, third, "w:spacing", "w:after"), "0");
  EXPECT_EQ(Styled(styles3, third, "w:sz", "w:val", "w:rPr"), "20");

  // Automatic spacing switched off and borders that are all none, in the defaults, say what
  // Word takes anyway, and LibreOffice lays out later documents' lists and cells differently for
  // them: the result's defaults leave them out.
  FixtureDoc off;
  off.docDefaults =
      "<w:pPrDefault><w:pPr><w:pBdr><w:top w:val=\"none\" w:sz=\"0\" w:space=\"0\" "
      "w:color=\"000000\"/><w:left w:val=\"nil\"/></w:pBdr><w:spacing w:before=\"0\" "
      "w:after=\"0\" w:beforeAutospacing=\"0\" w:afterAutospacing=\"false\"/></w:pPr>"
      "</w:pPrDefault>";
  off.body = Para("off");
  ResultPackage r4 = Join({Write("off.docx", off), Write("b4.docx", b)});
  pugi::xml_node spacing =
      r4.Xml("word/styles.xml").select_node("//w:pPrDefault/w:pPr/w:spacing").node();
  ASSERT_TRUE(spacing);
  EXPECT_FALSE(spacing.attribute("w:beforeAutospacing"));
  EXPECT_FALSE(spacing.attribute("w:afterAutospacing"));
  EXPECT_STREQ(spacing.attribute("w:after").value(), "0");
  EXPECT_TRUE(Select(r4.Xml("word/styles.xml"), "//w:pPrDefault//w:pBdr").empty());

  // A later style based on no other takes what it leaves unset from the defaults alone, even where
  // the result's default style sets it. It states that, for LibreOffice gives a paragraph stating
  // only half of its spacing the other half from the result's default style.
  const std::string lines =
      "<w:pPrDefault><w:pPr><w:spacing w:line=\"276\" w:lineRule=\"auto\"/></w:pPr>"
      "</w:pPrDefault>";
  FixtureDoc spaced, plain;
  spaced.docDefaults = plain.docDefaults = lines;
  spaced.normal = "<w:pPr><w:spacing w:after=\"120\" w:line=\"360\" w:lineRule=\"auto\"/></w:pPr>";
  spaced.body = Para("spaced");
  plain.normal = "<w:rPr><w:b/></w:rPr>";
  plain.styles =
      "<w:style w:type=\"paragraph\" w:styleId=\"Own\"><w:name w:val=\"Own\"/><w:pPr>"
      "<w:spacing w:after=\"40\"/></w:pPr></w:style>";
  plain.body = Para("plain", "<w:spacing w:before=\"60\"/>") +
               Para("own", "<w:pStyle w:val=\"Own\"/><w:spacing w:before=\"60\"/>");
  ResultPackage r5 = Join({Write("spaced.docx", spaced), Write("plain.docx", plain)});
  auto& doc5 = r5.Xml("word/document.xml");
  auto& styles5 = r5.Xml("word/styles.xml");
  pugi::xml_node plainParagraph = ParagraphWith(doc5, "plain");
  pugi::xml_node ownParagraph = ParagraphWith(doc5, "own");
  ASSERT_TRUE(plainParagraph && ownParagraph);
  EXPECT_EQ(Styled(styles5, plainParagraph, "w:spacing", "w:after"), "0");
  EXPECT_EQ(Styled(styles5, plainParagraph, "w:spacing", "w:line"), "276");
  EXPECT_EQ(Styled(styles5, ownParagraph, "w:spacing", "w:after"), "40");
  EXPECT_EQ(Styled(styles5, ownParagraph, "w:spacing", "w:line"), "276");
  // The result's default style is as its document had it.
  EXPECT_STREQ(
      styles5.select_node("//w:style[@w:default='1']/w:pPr/w:spacing/@w:line").attribute().value(),
      "360");
}

TEST_F(LookTest, ATableStylesCellFormattingOutranksDefaultsCarriedIntoParagraphStyles) {
  const std::string grid =
      "<w:style w:type=\"table\" w:styleId=\"TableGrid\"><w:name w:val=\"Table Grid\"/>"
      "<w:pPr><w:spacing w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/><w:jc "
      "w:val=\"center\"/></w:pPr><w:rPr><w:sz w:val=\"18\"/></w:rPr></w:style>"
      "<w:style w:type=\"paragraph\" w:styleId=\"Spaced\"><w:name w:val=\"Spaced\"/>"
      "<w:pPr><w:spacing w:after=\"480\"/></w:pPr></w:style>"
      "<w:style w:type=\"character\" w:styleId=\"Big\"><w:name w:val=\"Big\"/>"
      "<w:rPr><w:sz w:val=\"40\"/></w:rPr></w:style>"
      // Conditional formats, which outrank the style's whole-table ones: bands of two rows.
      "<w:style w:type=\"table\" w:styleId=\"Banded\"><w:name w:val=\"Banded\"/>"
      "<w:pPr><w:spacing w:after=\"0\"/></w:pPr>"
      "<w:tblPr><w:tblStyleRowBandSize w:val=\"2\"/></w:tblPr>"
      "<w:tblStylePr w:type=\"firstRow\"><w:pPr><w:spacing w:before=\"0\" w:after=\"0\"/>"
      "</w:pPr><w:rPr><w:b/><w:color w:val=\"FFFFFF\"/></w:rPr></w:tblStylePr>"
      "<w:tblStylePr w:type=\"lastRow\"><w:pPr><w:spacing w:after=\"120\"/></w:pPr>"
      "</w:tblStylePr>"
      "<w:tblStylePr w:type=\"band2Horz\"><w:pPr><w:jc w:val=\"right\"/></w:pPr>"
      "</w:tblStylePr>"
      "<w:tblStylePr w:type=\"nwCell\"><w:rPr><w:color w:val=\"FF0000\"/></w:rPr>"
      "</w:tblStylePr></w:style>";
  auto row = [](const std::string& cells) { return "<w:tr>" + cells + "</w:tr>"; };
  auto cell = [](const std::string& text) { return "<w:tc>" + Para(text) + "</w:tc>"; };
  FixtureDoc a, b;
  a.docDefaults = kWordDefaults;
  a.body = Para("first");
  b.docDefaults =
      "<w:rPrDefault><w:rPr><w:sz w:val=\"22\"/></w:rPr></w:rPrDefault>"
      "<w:pPrDefault><w:pPr><w:spacing w:after=\"160\" w:line=\"259\" w:lineRule=\"auto\"/>"
      "</w:pPr></w:pPrDefault>";
  b.styles = grid;
  b.body =
      "<w:tbl><w:tblPr><w:tblStyle w:val=\"TableGrid\"/><w:tblW w:w=\"0\" w:type=\"auto\"/>"
      "</w:tblPr><w:tblGrid><w:gridCol w:w=\"3000\"/></w:tblGrid><w:tr><w:tc>" +
      Para("plain cell") + Para("spaced cell", "<w:pStyle w:val=\"Spaced\"/>") +
      "<w:p><w:r><w:rPr><w:rStyle w:val=\"Big\"/></w:rPr><w:t>big run</w:t></w:r></w:p>" +
      "</w:tc></w:tr>" +
      // A cell in a content control is a cell all the same.
      "<w:tr><w:sdt><w:sdtPr/><w:sdtContent><w:tc>" + Para("wrapped cell") +
      "</w:tc></w:sdtContent></w:sdt></w:tr></w:tbl>" + Para("after the table") +
      "<w:tbl><w:tblPr><w:tblStyle w:val=\"Banded\"/><w:tblW w:w=\"0\" w:type=\"auto\"/>"
      "<w:tblLook w:val=\"04A0\" w:firstRow=\"1\" w:lastRow=\"1\" w:firstColumn=\"1\" "
      "w:lastColumn=\"0\" w:noHBand=\"0\" w:noVBand=\"1\"/></w:tblPr><w:tblGrid>"
      "<w:gridCol w:w=\"3000\"/><w:gridCol w:w=\"3000\"/></w:tblGrid>" +
      row(cell("head left") + cell("head right")) + row(cell("band one")) +
      row(cell("band one again")) + row(cell("band two")) + row(cell("last row")) + "</w:tbl>" +
      Para("after the banded table");
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b)});
  auto& doc = r.Xml("word/document.xml");

  pugi::xml_node plain = ParagraphWith(doc, "plain cell");
  ASSERT_TRUE(plain);
  EXPECT_EQ(Select(doc, "//w:p[count(w:pPr) > 1]").size(), 0U);
  pugi::xml_node spacing = plain.child("w:pPr").child("w:spacing");
  EXPECT_STREQ(spacing.attribute("w:after").value(), "0");
  EXPECT_STREQ(spacing.attribute("w:line").value(), "240");
  EXPECT_STREQ(plain.child("w:pPr").child("w:jc").attribute("w:val").value(), "center");
  EXPECT_STREQ(plain.child("w:r").child("w:rPr").child("w:sz").attribute("w:val").value(), "18");
  EXPECT_STREQ(plain.child("w:pPr").child("w:rPr").child("w:sz").attribute("w:val").value(), "18");
  pugi::xml_node wrapped = ParagraphWith(doc, "wrapped cell");
  ASSERT_TRUE(wrapped);
  EXPECT_STREQ(wrapped.child("w:pPr").child("w:spacing").attribute("w:after").value(), "0");
  EXPECT_STREQ(wrapped.child("w:r").child("w:rPr").child("w:sz").attribute("w:val").value(), "18");

  // What the paragraph's own style or the run's character style sets still wins.
  pugi::xml_node spaced = ParagraphWith(doc, "spaced cell");
  ASSERT_TRUE(spaced);
  EXPECT_FALSE(spaced.child("w:pPr").child("w:spacing").attribute("w:after"));
  EXPECT_STREQ(spaced.child("w:pPr").child("w:spacing").attribute("w:line").value(), "240");
  pugi::xml_node big = ParagraphWith(doc, "big run");
  ASSERT_TRUE(big);
  EXPECT_FALSE(big.child("w:r").child("w:rPr").child("w:sz"));

  // Text outside the table is left to its styles.
  pugi::xml_node after = ParagraphWith(doc, "after the table");
  ASSERT_TRUE(after);
  EXPECT_FALSE(after.child("w:pPr").child("w:spacing"));

  // Each cell states what the conditional formats reaching it give, the strongest winning: the
  // corner cell over the header row, the last row over the bands.
  auto attr = [&](const char* text, const char* path) {
    pugi::xml_node p = ParagraphWith(doc, text);
    EXPECT_TRUE(p) << text;
    return std::string(p.select_node(path).attribute().value());
  };
  EXPECT_EQ(attr("head left", "w:pPr/w:spacing/@w:before"), "0");
  EXPECT_EQ(attr("head left", "w:r/w:rPr/w:color/@w:val"), "FF0000");
  EXPECT_TRUE(ParagraphWith(doc, "head left").select_node("w:r/w:rPr/w:b"));
  EXPECT_EQ(attr("head right", "w:r/w:rPr/w:color/@w:val"), "FFFFFF");
  EXPECT_EQ(attr("band one", "w:pPr/w:spacing/@w:after"), "0");
  EXPECT_EQ(attr("band one", "w:pPr/w:jc/@w:val"), "");
  EXPECT_EQ(attr("band one again", "w:pPr/w:jc/@w:val"), "");
  EXPECT_EQ(attr("band two", "w:pPr/w:jc/@w:val"), "right");
  EXPECT_EQ(attr("band two", "w:r/w:rPr/w:color/@w:val"), "");
  EXPECT_EQ(attr("last row", "w:pPr/w:spacing/@w:after"), "120");
  EXPECT_EQ(attr("last row", "w:pPr/w:jc/@w:val"), "right");
  EXPECT_EQ(attr("after the banded table", "w:pPr/w:jc/@w:val"), "");
}

// A default paragraph style of 11 or 12 pt, or left-justified, does not override the font size
// or justification of a table's style in its cells (unless the document turns that rule off);
// once the style is no longer the result's default, the cells state them themselves.
TEST_F(LookTest, CellTextOfADefaultStyleKeepsItsTableStylesSizeAndJustification) {
  FixtureDoc a, b;
  a.docDefaults = kWordDefaults;
  a.body = Para("first");
  b.normal = "<w:pPr><w:jc w:val=\"left\"/></w:pPr><w:rPr><w:sz w:val=\"24\"/></w:rPr>";
  b.styles =
      "<w:style w:type=\"table\" w:styleId=\"Grid\"><w:name w:val=\"Table Grid\"/><w:pPr>"
      "<w:jc w:val=\"center\"/></w:pPr><w:rPr><w:sz w:val=\"18\"/></w:rPr><w:tblPr>"
      "<w:tblBorders><w:top w:val=\"single\" w:sz=\"4\"/></w:tblBorders></w:tblPr>"
      "<w:tblStylePr w:type=\"firstRow\"><w:rPr><w:sz w:val=\"44\"/></w:rPr></w:tblStylePr>"
      "</w:style>"
      "<w:style w:type=\"paragraph\" w:styleId=\"Other\"><w:name w:val=\"Other\"/></w:style>";
  // The first row's size, from the style's conditional formats, outranks the whole table's.
  b.body =
      "<w:tbl><w:tblPr><w:tblStyle w:val=\"Grid\"/><w:tblW w:w=\"0\" w:type=\"auto\"/>"
      "<w:tblLook w:val=\"0020\" w:firstRow=\"1\" w:lastRow=\"0\" w:firstColumn=\"0\" "
      "w:lastColumn=\"0\" w:noHBand=\"1\" w:noVBand=\"1\"/></w:tblPr>"
      "<w:tblGrid><w:gridCol w:w=\"3000\"/></w:tblGrid><w:tr><w:tc>" +
      Para("header cell") + "</w:tc></w:tr><w:tr><w:tc>" + Para("plain cell") +
      Para("styled cell", "<w:pStyle w:val=\"Other\"/>") +
      "<w:p><w:r><w:rPr><w:sz w:val=\"30\"/></w:rPr><w:t>sized run</w:t></w:r></w:p>" +
      "</w:tc></w:tr></w:tbl>" + Para("outside");
  for (bool ruleOff : {false, true}) {
    b.settings = ruleOff ? "<w:compat><w:compatSetting "
                           "w:name=\"overrideTableStyleFontSizeAndJustification\" "
                           "w:uri=\"http://schemas.microsoft.com/office/word\" w:val=\"1\"/>"
                           "</w:compat>"
                         : "";
    ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b)});
    auto& doc = r.Xml("word/document.xml");
    auto size = [&](const char* text) {
      pugi::xml_node p = ParagraphWith(doc, text);
      EXPECT_TRUE(p) << text;
      return std::string(p.child("w:r").child("w:rPr").child("w:sz").attribute("w:val").value());
    };
    EXPECT_EQ(size("plain cell"), ruleOff ? "" : "18");
    EXPECT_EQ(size("header cell"), ruleOff ? "" : "44");
    if (!ruleOff) {
      pugi::xml_node mark = ParagraphWith(doc, "plain cell").child("w:pPr").child("w:rPr");
      EXPECT_STREQ(mark.child("w:sz").attribute("w:val").value(), "18");
    }
    // A style that sets no size leaves it to the table style either way.
    EXPECT_EQ(size("styled cell"), "18");
    EXPECT_EQ(size("sized run"), "30");
    EXPECT_EQ(size("outside"), "");
    auto justification = [&](const char* text) {
      pugi::xml_node jc = ParagraphWith(doc, text).child("w:pPr").child("w:jc");
      return std::string(jc.attribute("w:val").value());
    };
    EXPECT_EQ(justification("plain cell"), ruleOff ? "" : "center");
    // A style that does not justify leaves it to the table style either way.
    EXPECT_EQ(justification("styled cell"), "center");
    EXPECT_EQ(justification("outside"), "");
  }
}

TEST_F(LookTest, AutomaticSpaceBeforeADocumentsFirstParagraphStaysNone) {
  FixtureDoc a, b;
  a.body = Para("first");
  const std::string automatic =
      "<w:spacing w:before=\"100\" w:beforeAutospacing=\"1\" w:after=\"100\" "
      "w:afterAutospacing=\"1\"/>";
  b.body = Para("opening", automatic) + Para("following", automatic);
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b)});
  auto& doc = r.Xml("word/document.xml");
  pugi::xml_node opening = ParagraphWith(doc, "opening").child("w:pPr").child("w:spacing");
  EXPECT_STREQ(opening.attribute("w:beforeAutospacing").value(), "0");
  EXPECT_STREQ(opening.attribute("w:before").value(), "0");
  EXPECT_STREQ(opening.attribute("w:afterAutospacing").value(), "1");
  pugi::xml_node following = ParagraphWith(doc, "following").child("w:pPr").child("w:spacing");
  EXPECT_STREQ(following.attribute("w:beforeAutospacing").value(), "1");
}

TEST_F(LookTest, SpacesThatAddedUpInTheirDocumentAreStatedAsTheirSum) {
  FixtureDoc a, b;
  a.body = Para("first");
  b.settings = "<w:compat><w:doNotUseHTMLParagraphAutoSpacing/></w:compat>";
  b.styles =
      "<w:style w:type=\"paragraph\" w:styleId=\"Tight\"><w:name w:val=\"Tight\"/>"
      "<w:pPr><w:spacing w:before=\"120\" w:after=\"120\"/><w:contextualSpacing/></w:pPr>"
      "</w:style>";
  b.body = Para("title", "<w:spacing w:before=\"0\" w:after=\"240\"/>") +
           "<w:bookmarkStart w:id=\"0\" w:name=\"here\"/>" +
           Para("body", "<w:spacing w:before=\"120\" w:after=\"0\"/>") +
           Para("no space before", "<w:spacing w:before=\"0\"/>") +
           Para("tight one", "<w:pStyle w:val=\"Tight\"/>") +
           Para("tight two", "<w:pStyle w:val=\"Tight\"/>") + "<w:bookmarkEnd w:id=\"0\"/>";
  // A paragraph that begins a page has only its own space above it.
  b.body += Para("chapter end", "<w:spacing w:after=\"240\"/>") +
            Para("new chapter", "<w:pageBreakBefore/><w:spacing w:before=\"120\"/>") +
            "<w:p><w:pPr><w:spacing w:after=\"240\"/></w:pPr><w:r><w:t>broken</w:t>"
            "<w:br w:type=\"page\"/></w:r></w:p>" +
            Para("next page", "<w:spacing w:before=\"120\"/>");
  // In a table the table style's spacing counts: here it leaves no space after a cell's text.
  b.styles +=
      "<w:style w:type=\"table\" w:styleId=\"Grid\"><w:name w:val=\"Grid\"/><w:pPr>"
      "<w:spacing w:after=\"0\"/></w:pPr></w:style>";
  b.body +=
      "<w:tbl><w:tblPr><w:tblStyle w:val=\"Grid\"/></w:tblPr><w:tblGrid><w:gridCol "
      "w:w=\"3000\"/></w:tblGrid><w:tr><w:tc>" +
      Para("cell one") + Para("cell two", "<w:spacing w:before=\"100\"/>") +
      Para("cell three", "<w:spacing w:before=\"100\" w:after=\"50\"/>") +
      Para("cell four", "<w:spacing w:before=\"100\"/>") + "</w:tc></w:tr></w:tbl>";
  b.headers["header1.xml"] = Para("head one", "<w:spacing w:after=\"200\"/>") +
                             Para("head two", "<w:spacing w:before=\"100\"/>");
  b.sectPr = "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH1\"/></w:sectPr>";
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b)});
  auto& doc = r.Xml("word/document.xml");
  auto before = [&](const char* text) {
    return std::string(
        ParagraphWith(doc, text).child("w:pPr").child("w:spacing").attribute("w:before").value());
  };
  EXPECT_EQ(before("body"), "360");  // 240 after the title and its own 120
  EXPECT_EQ(before("cell two"), "100");
  EXPECT_EQ(before("cell four"), "150");
  bool headerSeen = false;
  for (const std::string& name : r.Names()) {
    if (name.find("header") == std::string::npos || !name.ends_with(".xml")) continue;
    pugi::xml_node second = ParagraphWith(r.Xml(name), "head two");
    if (!second) continue;
    headerSeen = true;
    EXPECT_STREQ(second.child("w:pPr").child("w:spacing").attribute("w:before").value(), "300");
  }
  EXPECT_TRUE(headerSeen);
  EXPECT_EQ(before("no space before"), "0");
  EXPECT_EQ(before("new chapter"), "120");
  EXPECT_EQ(before("next page"), "120");
  // Paragraphs of one style that drop the space between them are left alone.
  EXPECT_EQ(before("tight two"), "");
  // The result itself keeps taking the larger of two spaces.
  pugi::xml_node settings = r.Xml("word/settings.xml").document_element();
  EXPECT_FALSE(settings.child("w:compat").child("w:doNotUseHTMLParagraphAutoSpacing"));
}

TEST_F(LookTest, TablesOfAnOlderWordKeepTheirTextAtTheIndentInTheCurrentLayout) {
  auto compat = [](int mode) {
    return "<w:compat><w:compatSetting w:name=\"compatibilityMode\" "
           "w:uri=\"http://schemas.microsoft.com/office/word\" w:val=\"" +
           std::to_string(mode) + "\"/></w:compat>";
  };
  const std::string tableNormal =
      "<w:style w:type=\"table\" w:default=\"1\" w:styleId=\"TableNormal\">"
      "<w:name w:val=\"Normal Table\"/><w:tblPr><w:tblInd w:w=\"0\" w:type=\"dxa\"/>"
      "<w:tblCellMar><w:left w:w=\"108\" w:type=\"dxa\"/></w:tblCellMar></w:tblPr></w:style>";
  auto table = [](const std::string& tblPr, const std::string& text) {
    return "<w:tbl><w:tblPr>" + tblPr +
           "</w:tblPr><w:tblGrid><w:gridCol w:w=\"2000\"/></w:tblGrid><w:tr><w:tc>" + Para(text) +
           "</w:tc></w:tr></w:tbl>";
  };
  FixtureDoc current, older;
  current.settings = compat(15);
  current.styles = tableNormal;
  current.body = table("", "current") + Para("after");
  older.settings = compat(14);
  older.styles = tableNormal;
  older.body =
      table("", "plain") + Para("-") + table("<w:tblInd w:w=\"360\" w:type=\"dxa\"/>", "indented") +
      Para("-") + table("<w:jc w:val=\"center\"/>", "centred") + Para("-") +
      table("<w:tblCellMar><w:left w:w=\"0\" w:type=\"dxa\"/></w:tblCellMar>", "no margin") +
      Para("-") + table("<w:bidiVisual w:val=\"0\"/>", "stated left to right") + Para("-") +
      table("<w:bidiVisual/>", "right to left") + Para("-") +
      table(
          "<w:tblBorders><w:left w:val=\"single\" w:sz=\"8\" w:space=\"0\" "
          "w:color=\"auto\"/></w:tblBorders>",
          "bordered");
  // A first cell with a margin of its own, holding a table of its own: the outer table still
  // moves by the table's margin, the inner one not at all.
  older.body +=
      Para("-") +
      "<w:tbl><w:tblPr><w:tblInd w:w=\"-900\" w:type=\"dxa\"/></w:tblPr><w:tblGrid><w:gridCol "
      "w:w=\"4000\"/></w:tblGrid><w:tr><w:tc><w:tcPr><w:tcMar><w:left w:w=\"0\" "
      "w:type=\"dxa\"/></w:tcMar></w:tcPr>" +
      Para("cell without margin") + table("", "nested") + Para("-") + "</w:tc></w:tr></w:tbl>";
  for (int i = 0; i < 30; ++i) older.body += Para("an older document with most of the text");
  ResultPackage r = Join({Write("current.docx", current), Write("older.docx", older)});
  auto& doc = r.Xml("word/document.xml");
  auto indent = [&](const char* text) {
    pugi::xml_node p = ParagraphWith(doc, text);
    pugi::xml_node tbl = p.parent().parent().parent();
    return std::string(tbl.child("w:tblPr").child("w:tblInd").attribute("w:w").value());
  };
  EXPECT_EQ(indent("current"), "");
  EXPECT_EQ(indent("plain"), "-108");
  EXPECT_EQ(indent("indented"), "252");
  EXPECT_EQ(indent("centred"), "");
  EXPECT_EQ(indent("no margin"), "");
  EXPECT_EQ(indent("stated left to right"), "-108");
  EXPECT_EQ(indent("right to left"), "");
  // A current Word puts the outer side of the left border where an older one put its middle.
  EXPECT_EQ(indent("bordered"), "-118");
  EXPECT_EQ(indent("cell without margin"), "-1008");
  EXPECT_EQ(indent("nested"), "");
  // The result is laid out as a current document even where older text is the most.
  pugi::xml_node mode = r.Xml("word/settings.xml")
                            .select_node("//w:compat/w:compatSetting[@w:name='compatibilityMode']")
                            .node();
  EXPECT_STREQ(mode.attribute("w:val").value(), "15");
}

TEST_F(LookTest, ThemeFontsFollowTheDocumentsOwnScriptLanguages) {
  const std::string theme =
      "<a:fontScheme name=\"Fixture\"><a:majorFont><a:latin typeface=\"Calibri Light\"/>"
      "<a:ea typeface=\"\"/><a:cs typeface=\"\"/></a:majorFont><a:minorFont><a:latin "
      "typeface=\"Calibri\"/><a:ea typeface=\"\"/><a:cs typeface=\"\"/><a:font "
      "script=\"Jpan\" typeface=\"Jpan Face\"/><a:font script=\"Hang\" "
      "typeface=\"Hang Face\"/><a:font script=\"Arab\" typeface=\"Arab Face\"/>"
      "</a:minorFont></a:fontScheme>";
  const std::string themed =
      "<w:style w:type=\"character\" w:styleId=\"Themed\"><w:name w:val=\"Themed\"/>"
      "<w:rPr><w:rFonts w:asciiTheme=\"minorHAnsi\" w:eastAsiaTheme=\"minorEastAsia\" "
      "w:cstheme=\"minorBidi\"/></w:rPr></w:style>";
  auto run = [](const std::string& text) {
    return "<w:p><w:r><w:rPr><w:rStyle w:val=\"Themed\"/></w:rPr><w:t>" + text +
           "</w:t></w:r></w:p>";
  };
  FixtureDoc a, b;
  a.theme = theme;
  a.settings = "<w:themeFontLang w:val=\"en-US\"/>";
  a.styles = themed;
  a.body = run("english");
  b.theme = theme;
  b.settings = "<w:themeFontLang w:val=\"en-US\" w:eastAsia=\"ko-KR\" w:bidi=\"ar-SA\"/>";
  b.styles = themed;
  b.body = run("korean");
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b)});
  auto& doc = r.Xml("word/document.xml");
  auto& styles = r.Xml("word/styles.xml");
  auto fontsOf = [&](const char* text) {
    std::string id = ParagraphWith(doc, text)
                         .child("w:r")
                         .child("w:rPr")
                         .child("w:rStyle")
                         .attribute("w:val")
                         .value();
    return styles.select_node(("//w:style[@w:styleId='" + id + "']/w:rPr/w:rFonts").c_str()).node();
  };
  // The first document's theme is the result's: its text still names theme fonts.
  EXPECT_STREQ(fontsOf("english").attribute("w:eastAsiaTheme").value(), "minorEastAsia");
  // The Korean document's East Asian and complex-script text keep the faces its languages chose.
  pugi::xml_node korean = fontsOf("korean");
  EXPECT_STREQ(korean.attribute("w:eastAsia").value(), "Hang Face");
  EXPECT_STREQ(korean.attribute("w:cs").value(), "Arab Face");
  EXPECT_STREQ(korean.attribute("w:ascii").value(), "Calibri");

  // Defaults that read the same name other faces under another theme: a document whose theme
  // differs states its own, though its defaults are the first document's word for word.
  const std::string themedDefaults =
      "<w:rPrDefault><w:rPr><w:rFonts w:asciiTheme=\"minorHAnsi\" w:hAnsiTheme=\"minorHAnsi\"/>"
      "</w:rPr></w:rPrDefault>";
  FixtureDoc first, other;
  first.theme = theme;
  first.docDefaults = themedDefaults;
  first.body = Para("calibri text");
  other.theme = theme.substr(0, theme.find("<a:minorFont>")) +
                "<a:minorFont><a:latin typeface=\"Cambria\"/><a:ea typeface=\"\"/>"
                "<a:cs typeface=\"\"/></a:minorFont></a:fontScheme>";
  other.docDefaults = themedDefaults;
  other.body = Para("cambria text");
  ResultPackage r2 = Join({Write("first.docx", first), Write("other.docx", other)});
  pugi::xml_node cambria = ParagraphWith(r2.Xml("word/document.xml"), "cambria text");
  ASSERT_TRUE(cambria);
  EXPECT_EQ(Styled(r2.Xml("word/styles.xml"), cambria, "w:rFonts", "w:ascii", "w:rPr"), "Cambria");
}

// Theme colours resolve against the result's theme, which is the first document's: a later
// document with another theme states the colours its own theme gave, whichever comes first.
TEST_F(LookTest, ThemeColoursStayTheColoursOfTheDocumentsOwnTheme) {
  auto theme = [](const char* dark, const char* accent, const char* minorFont) {
    return std::string("<a:clrScheme name=\"Fixture\"><a:dk1><a:srgbClr val=\"") + dark +
           "\"/></a:dk1><a:lt1><a:srgbClr val=\"FFFFFF\"/></a:lt1><a:accent1><a:srgbClr val=\"" +
           accent +
           "\"/></a:accent1></a:clrScheme><a:fontScheme name=\"Fixture\"><a:majorFont>"
           "<a:latin typeface=\"Cambria\"/><a:ea typeface=\"\"/><a:cs typeface=\"\"/></a:majorFont>"
           "<a:minorFont><a:latin typeface=\"" +
           minorFont +
           "\"/><a:ea typeface=\"\"/><a:cs typeface=\"\"/></a:minorFont></a:fontScheme>";
  };
  // A chart colours its series and sets its text with the theme's colours and fonts by name.
  const std::string chart =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><c:chartSpace "
      "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><c:chart><c:plotArea>"
      "<c:barChart><c:ser><c:idx val=\"0\"/><c:order val=\"0\"/><c:spPr><a:solidFill>"
      "<a:schemeClr val=\"accent1\"><a:lumMod val=\"75000\"/></a:schemeClr></a:solidFill>"
      "</c:spPr></c:ser></c:barChart></c:plotArea></c:chart><c:txPr><a:bodyPr/><a:p><a:pPr>"
      "<a:defRPr><a:latin typeface=\"+mn-lt\"/></a:defRPr></a:pPr></a:p></c:txPr>"
      "</c:chartSpace>";
  const std::string chartParagraph =
      "<w:p><w:r><w:drawing><wp:inline><wp:extent cx=\"914400\" cy=\"914400\"/><wp:docPr "
      "id=\"1\" name=\"Chart\"/><a:graphic><a:graphicData "
      "uri=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"><c:chart "
      "xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" r:id=\"rIdC1\"/>"
      "</a:graphicData></a:graphic></wp:inline></w:drawing></w:r></w:p>";
  auto body = [](const std::string& text) {
    return "<w:p><w:pPr><w:pBdr><w:top w:val=\"single\" w:sz=\"4\" w:space=\"1\" "
           "w:themeColor=\"accent1\" w:themeShade=\"80\"/></w:pBdr><w:shd w:val=\"clear\" "
           "w:color=\"auto\" w:themeFill=\"accent1\" w:themeFillTint=\"33\"/></w:pPr><w:r><w:rPr>"
           "<w:color w:themeColor=\"text1\"/><w:u w:val=\"single\" w:color=\"123456\" "
           "w:themeColor=\"accent1\"/></w:rPr><w:t>" +
           text +
           "</w:t></w:r><w:r><w:rPr><w14:textOutline xmlns:w14=\"http://schemas.microsoft.com/"
           "office/word/2010/wordml\" w14:w=\"9525\"><w14:solidFill><w14:schemeClr "
           "w14:val=\"accent1\"><w14:lumMod w14:val=\"75000\"/></w14:schemeClr></w14:solidFill>"
           "</w14:textOutline></w:rPr><w:t>outlined</w:t></w:r></w:p>";
  };
  // A chart pasted keeping its source's look brings that theme along and keeps it.
  const std::string ownChart =
      std::string(chart).replace(chart.find("<c:chart>"), 0, "<c:roundedCorners val=\"0\"/>");
  // A chart that sets no face for its text is set in its theme's minor face.
  const std::string plainTextChart = std::string(chart).erase(
      chart.find("<c:txPr>"), chart.find("</c:txPr>") + 9 - chart.find("<c:txPr>"));
  auto withCharts = [&](FixtureDoc& doc) {
    for (const char* id : {"rIdC2", "rIdC3"}) {
      doc.body += std::string(chartParagraph).replace(chartParagraph.find("rIdC1"), 5, id);
    }
    doc.body += chartParagraph;
    doc.charts["charts/chart1.xml"] = chart;
    doc.charts["charts/chart2.xml"] = ownChart;
    doc.charts["charts/chart3.xml"] = plainTextChart;
    doc.parts["charts/_rels/chart2.xml.rels"] =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/themeOverride\" Target=\"../theme/themeOverride1.xml\"/></Relationships>";
    doc.parts["theme/themeOverride1.xml"] =
        "<a:themeOverride xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">" +
        theme("000000", "00FF00", "Verdana") + "</a:themeOverride>";
    doc.extraTypes =
        "<Override PartName=\"/word/theme/themeOverride1.xml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.themeOverride+xml\"/>";
  };
  FixtureDoc red, blue;
  red.theme = theme("400000", "FF0000", "Arial");
  red.body = body("red");
  withCharts(red);
  blue.theme = theme("000040", "0000FF", "Georgia");
  blue.settings = "<w:clrSchemeMapping w:bg1=\"light1\" w:t1=\"dark1\"/>";
  blue.body = body("blue");
  withCharts(blue);
  for (bool redFirst : {true, false}) {
    ResultPackage r = redFirst ? Join({Write("red.docx", red), Write("blue.docx", blue)})
                               : Join({Write("blue.docx", blue), Write("red.docx", red)});
    auto& doc = r.Xml("word/document.xml");
    pugi::xml_node first = ParagraphWith(doc, redFirst ? "red" : "blue");
    pugi::xml_node later = ParagraphWith(doc, redFirst ? "blue" : "red");
    ASSERT_TRUE(first && later);
    // The first document's theme is the result's: its colours still name it.
    EXPECT_STREQ(first.child("w:pPr").child("w:shd").attribute("w:themeFill").value(), "accent1");
    pugi::xml_node rPr = later.child("w:r").child("w:rPr");
    EXPECT_FALSE(rPr.child("w:color").attribute("w:themeColor"));
    EXPECT_STREQ(rPr.child("w:color").attribute("w:val").value(), redFirst ? "000040" : "400000");
    // A colour its writer stated is what the document showed.
    EXPECT_STREQ(rPr.child("w:u").attribute("w:color").value(), "123456");
    EXPECT_FALSE(rPr.child("w:u").attribute("w:themeColor"));
    pugi::xml_node shd = later.child("w:pPr").child("w:shd");
    EXPECT_FALSE(shd.attribute("w:themeFill"));
    EXPECT_FALSE(shd.attribute("w:themeFillTint"));
    // Tinted to 20 % of the accent's strength: most of the way to white.
    EXPECT_STREQ(shd.attribute("w:fill").value(), redFirst ? "CCCCFF" : "FFCCCC");
    pugi::xml_node top = later.child("w:pPr").child("w:pBdr").child("w:top");
    EXPECT_FALSE(top.attribute("w:themeShade"));
    // Shaded to half its lightness.
    EXPECT_STREQ(top.attribute("w:color").value(), redFirst ? "000080" : "800000");
    // Outlined letters, a text effect, in the accent still made darker.
    EXPECT_FALSE(first.select_node(".//w14:textOutline//w14:schemeClr").node().empty());
    pugi::xml_node outline = later.select_node(".//w14:textOutline//w14:srgbClr").node();
    EXPECT_STREQ(outline.attribute("w14:val").value(), redFirst ? "0000FF" : "FF0000");
    EXPECT_TRUE(outline.child("w14:lumMod"));
    // The first document's chart still names the result's theme; the later one's is drawn in
    // its own theme's accent (still made darker) and set in its own theme's font, and its
    // series without colours of their own take their accents from its own theme too.
    std::vector<std::string> charts;
    for (const std::string& name : r.Names()) {
      if (name.starts_with("word/charts/chart")) charts.push_back(name);
    }
    ASSERT_EQ(charts.size(), 6u);
    // The theme override parts a chart names: the accent1 of each.
    auto overrideAccents = [&r](const std::string& chartPart) {
      std::vector<std::string> accents;
      const std::size_t slash = chartPart.rfind('/');
      const std::string rels =
          chartPart.substr(0, slash) + "/_rels" + chartPart.substr(slash) + ".rels";
      if (!r.Has(rels)) return accents;
      for (pugi::xml_node rel : Select(r.Xml(rels), "//Relationship")) {
        if (!std::string_view(rel.attribute("Type").value()).ends_with("/themeOverride")) continue;
        std::string target = rel.attribute("Target").value();
        EXPECT_TRUE(target.starts_with("../theme/")) << target;
        const std::string part = "word/" + target.substr(3);
        EXPECT_NE(r.Text("[Content_Types].xml")
                      .find("PartName=\"/" + part +
                            "\" ContentType=\"application/"
                            "vnd.openxmlformats-officedocument.themeOverride+xml\""),
                  std::string::npos)
            << part;
        auto accent = Select(r.Xml(part), "/a:themeOverride/a:clrScheme/a:accent1/a:srgbClr");
        accents.push_back(accent.empty() ? "" : accent[0].attribute("val").value());
      }
      return accents;
    };
    int named = 0, withoutFaces = 0;
    for (const std::string& name : charts) {
      auto& part = r.Xml(name);
      if (Select(part, "//c:txPr").empty()) ++withoutFaces;
      if (!Select(part, "//c:roundedCorners").empty()) {
        EXPECT_EQ(overrideAccents(name), std::vector<std::string>{"00FF00"}) << name;
        continue;
      }
      if (!Select(part, "//a:schemeClr").empty()) {
        ++named;
        EXPECT_TRUE(overrideAccents(name).empty()) << name;
        continue;
      }
      EXPECT_EQ(overrideAccents(name), std::vector<std::string>{redFirst ? "0000FF" : "FF0000"})
          << name;
      pugi::xml_node fill = Select(part, "//c:spPr/a:solidFill/a:srgbClr").at(0);
      EXPECT_STREQ(fill.attribute("val").value(), redFirst ? "0000FF" : "FF0000");
      EXPECT_TRUE(fill.child("a:lumMod"));
      auto latin = Select(part, "//a:latin");
      ASSERT_FALSE(latin.empty()) << name;
      EXPECT_STREQ(latin[0].attribute("typeface").value(), redFirst ? "Georgia" : "Arial");
    }
    EXPECT_EQ(named, 2);
    // Only the first document's chart still takes its face from the result's theme.
    EXPECT_EQ(withoutFaces, 1);
  }

  // A shape takes what its own properties leave unsaid from its theme's formats by number
  // (a:lnRef idx="2": the second line style), in its style's colours. Themes alike but for
  // those formats: a later document's shape states what its own gave.
  auto formats = [&](const char* width, const char* effect) {
    return theme("000000", "4472C4", "Calibri") +
           "<a:fmtScheme name=\"Fixture\"><a:fillStyleLst><a:solidFill><a:schemeClr "
           "val=\"phClr\"/></a:solidFill></a:fillStyleLst><a:lnStyleLst><a:ln w=\"6350\"/><a:ln "
           "w=\"" +
           width +
           "\" cap=\"flat\"><a:solidFill><a:schemeClr val=\"phClr\"><a:shade val=\"95000\"/>"
           "</a:schemeClr></a:solidFill><a:prstDash val=\"solid\"/></a:ln></a:lnStyleLst>"
           "<a:effectStyleLst><a:effectStyle><a:effectLst/></a:effectStyle><a:effectStyle>" +
           effect + "</a:effectStyle></a:effectStyleLst></a:fmtScheme>";
  };
  auto shape = [](const std::string& text) {
    return "<w:p><w:r><w:drawing><wp:inline><wp:extent cx=\"914400\" cy=\"914400\"/>"
           "<wp:docPr id=\"1\" name=\"Box\"/><a:graphic><a:graphicData uri=\"http://"
           "schemas.microsoft.com/office/word/2010/wordprocessingShape\"><wps:wsp xmlns:wps=\""
           "http://schemas.microsoft.com/office/word/2010/wordprocessingShape\"><wps:cNvSpPr/>"
           "<wps:spPr><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom><a:ln><a:solidFill>"
           "<a:srgbClr val=\"70AD47\"/></a:solidFill></a:ln></wps:spPr><wps:style><a:lnRef "
           "idx=\"2\"><a:schemeClr val=\"accent1\"/></a:lnRef><a:fillRef idx=\"1\"><a:schemeClr "
           "val=\"accent1\"/></a:fillRef><a:effectRef idx=\"2\"><a:schemeClr val=\"accent1\"/>"
           "</a:effectRef><a:fontRef idx=\"minor\"><a:schemeClr val=\"lt1\"/></a:fontRef>"
           "</wps:style><wps:bodyPr/></wps:wsp></a:graphicData></a:graphic></wp:inline>"
           "</w:drawing></w:r><w:r><w:t>" +
           text + "</w:t></w:r></w:p>";
  };
  FixtureDoc thin, thick;
  thin.theme = formats("12700", "<a:effectLst/>");
  thin.body = shape("thin");
  thick.theme = formats("25400",
                        "<a:effectLst><a:outerShdw blurRad=\"40000\"><a:schemeClr val=\"phClr\">"
                        "<a:alpha val=\"35000\"/></a:schemeClr></a:outerShdw></a:effectLst>");
  thick.body = shape("thick");
  for (bool thinFirst : {true, false}) {
    ResultPackage r = thinFirst ? Join({Write("thin.docx", thin), Write("thick.docx", thick)})
                                : Join({Write("thick.docx", thick), Write("thin.docx", thin)});
    auto& doc = r.Xml("word/document.xml");
    auto spPr = [&](const char* text) {
      return ParagraphWith(doc, text).select_node(".//wps:spPr").node();
    };
    // The first document's shape still takes its formats from the result's theme.
    pugi::xml_node first = spPr(thinFirst ? "thin" : "thick");
    EXPECT_FALSE(first.child("a:ln").attribute("w"));
    EXPECT_FALSE(first.child("a:solidFill"));
    pugi::xml_node later = spPr(thinFirst ? "thick" : "thin");
    ASSERT_TRUE(later);
    std::vector<std::string> order;
    for (pugi::xml_node c : later.children()) order.push_back(c.name());
    EXPECT_EQ(order,
              (std::vector<std::string>{"a:prstGeom", "a:solidFill", "a:ln", "a:effectLst"}));
    pugi::xml_node line = later.child("a:ln");
    EXPECT_STREQ(line.attribute("w").value(), thinFirst ? "25400" : "12700");
    EXPECT_STREQ(line.attribute("cap").value(), "flat");
    // Its own line colour stands; the style adds the dash it left unsaid.
    EXPECT_STREQ(line.child("a:solidFill").child("a:srgbClr").attribute("val").value(), "70AD47");
    EXPECT_STREQ(line.child("a:prstDash").attribute("val").value(), "solid");
    // The fill in the style's colour (the themes' colours are alike, so it may name it).
    EXPECT_STREQ(later.child("a:solidFill").child("a:schemeClr").attribute("val").value(),
                 "accent1");
    // No shadow where its own theme had none, and the placeholder's transparency kept where it
    // had one.
    pugi::xml_node shadow = later.child("a:effectLst").child("a:outerShdw");
    EXPECT_EQ(static_cast<bool>(shadow), thinFirst);
    if (thinFirst) {
      EXPECT_STREQ(shadow.child("a:schemeClr").attribute("val").value(), "accent1");
      EXPECT_STREQ(shadow.child("a:schemeClr").child("a:alpha").attribute("val").value(), "35000");
    }
  }
}

// Hyphenation is switched on for the whole result only: it stays the first document's, and a
// later document that did not hyphenate turns it off in each of its paragraphs.
TEST_F(LookTest, ADocumentThatDidNotHyphenateIsNotHyphenatedInTheResult) {
  FixtureDoc hyphenated, plain;
  hyphenated.settings = "<w:autoHyphenation/><w:hyphenationZone w:val=\"357\"/>";
  hyphenated.body = Para("hyphenated");
  plain.body = Para("plain") + Para("plain too", "<w:suppressAutoHyphens w:val=\"0\"/>");
  for (bool hyphenatedFirst : {true, false}) {
    ResultPackage r = hyphenatedFirst ? Join({Write("h.docx", hyphenated), Write("p.docx", plain)})
                                      : Join({Write("p.docx", plain), Write("h.docx", hyphenated)});
    auto& doc = r.Xml("word/document.xml");
    pugi::xml_node settings = r.Xml("word/settings.xml").document_element();
    auto suppressed = [&](const char* text) {
      pugi::xml_node n = ParagraphWith(doc, text).child("w:pPr").child("w:suppressAutoHyphens");
      std::string_view val = n.attribute("w:val").value();
      return n && val != "0" && val != "false" && val != "off";
    };
    EXPECT_EQ(static_cast<bool>(settings.child("w:autoHyphenation")), hyphenatedFirst);
    EXPECT_FALSE(suppressed("hyphenated"));
    EXPECT_EQ(suppressed("plain"), hyphenatedFirst);
    EXPECT_EQ(suppressed("plain too"), hyphenatedFirst);
  }
}

// A gutter is stated as the margin it widened, so the result's gutter position (top or side)
// cannot move it; mirrored margins hold for the whole result, which mirrors when more text was
// written mirrored than not, each weighted by how far mirroring moves its even pages.
TEST_F(LookTest, GuttersAndMirroredMarginsKeepEachDocumentsPages) {
  auto section = [](int left, int right, int gutter) {
    return "<w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/><w:pgMar w:top=\"1440\" w:right=\"" +
           std::to_string(right) + "\" w:bottom=\"1440\" w:left=\"" + std::to_string(left) +
           "\" w:header=\"720\" w:footer=\"720\" w:gutter=\"" + std::to_string(gutter) +
           "\"/></w:sectPr>";
  };
  FixtureDoc top, side, mirrored, even;
  top.settings = "<w:gutterAtTop/>";
  top.sectPr = section(1440, 1440, 720);
  top.body = Para("top");
  side.sectPr = section(1440, 1440, 720);
  side.body = Para("side");
  mirrored.settings = "<w:mirrorMargins/>";
  mirrored.sectPr = section(2880, 720, 0);
  mirrored.body = Para("mirrored");
  even.sectPr = section(1800, 1800, 0);
  even.body = Para("even");
  for (bool topFirst : {true, false}) {
    ResultPackage r = topFirst ? Join({Write("t.docx", top), Write("s.docx", side)})
                               : Join({Write("s.docx", side), Write("t.docx", top)});
    auto sections = Select(r.Xml("word/document.xml"), "//w:sectPr/w:pgMar");
    ASSERT_EQ(sections.size(), 2u);
    pugi::xml_node topMargins = sections[topFirst ? 0 : 1],
                   sideMargins = sections[topFirst ? 1 : 0];
    EXPECT_STREQ(topMargins.attribute("w:top").value(), "2160");
    EXPECT_STREQ(topMargins.attribute("w:left").value(), "1440");
    EXPECT_STREQ(sideMargins.attribute("w:left").value(), "2160");
    EXPECT_STREQ(sideMargins.attribute("w:top").value(), "1440");
    for (pugi::xml_node m : sections) EXPECT_STREQ(m.attribute("w:gutter").value(), "0");
    EXPECT_FALSE(r.Xml("word/settings.xml").document_element().child("w:gutterAtTop"));
  }
  // Mirroring does not show on a document with even margins: the mirrored one after it decides.
  ResultPackage r = Join({Write("e.docx", even), Write("m.docx", mirrored)});
  EXPECT_TRUE(r.Xml("word/settings.xml").document_element().child("w:mirrorMargins"));
  ResultPackage back = Join({Write("m.docx", mirrored), Write("e.docx", even)});
  EXPECT_TRUE(back.Xml("word/settings.xml").document_element().child("w:mirrorMargins"));
  // A plain document with uneven margins and more text decides against, before or after it;
  // with less text, or margins that differ less, it does not.
  FixtureDoc uneven = even;
  uneven.sectPr = section(2880, 720, 0);
  uneven.body = Para("a plain document with more text");
  auto mirrors = [&](const FixtureDoc& plain) {
    bool before = Join({Write("u.docx", plain), Write("m.docx", mirrored)})
                      .Xml("word/settings.xml")
                      .document_element()
                      .child("w:mirrorMargins");
    bool after = Join({Write("m.docx", mirrored), Write("u.docx", plain)})
                     .Xml("word/settings.xml")
                     .document_element()
                     .child("w:mirrorMargins");
    EXPECT_EQ(before, after);
    return before;
  };
  EXPECT_FALSE(mirrors(uneven));
  FixtureDoc nearlyEven = uneven;
  nearlyEven.sectPr = section(1500, 1440, 0);
  EXPECT_TRUE(mirrors(nearlyEven));
  uneven.body = Para("plain");
  EXPECT_TRUE(mirrors(uneven));
  // A gutter too large to be true still widens its margin: the sum never wraps round.
  FixtureDoc huge = side;
  huge.sectPr = section(1440, 1440, 0);
  huge.sectPr.replace(huge.sectPr.find("w:gutter=\"0\""), 12, "w:gutter=\"18446744073709551616\"");
  ResultPackage wide = Join({Write("s.docx", side), Write("h.docx", huge)});
  auto margins = Select(wide.Xml("word/document.xml"), "//w:sectPr/w:pgMar");
  ASSERT_EQ(margins.size(), 2u);
  EXPECT_GT(margins[1].attribute("w:left").as_llong(), 1440);
}

// Note numbering (format, restart) set in a document's settings held for all its sections; the
// result's settings are the first document's, so every section states its own document's.
TEST_F(LookTest, EverySectionStatesItsDocumentsNoteNumbering) {
  const std::string pageBreakSection =
      "<w:p><w:pPr><w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/></w:sectPr></w:pPr></w:p>";
  FixtureDoc roman, plain;
  roman.settings =
      "<w:footnotePr><w:numFmt w:val=\"lowerRoman\"/><w:numRestart w:val=\"eachPage\"/>"
      "</w:footnotePr>";
  roman.body = Para("roman one") + pageBreakSection + Para("roman two");
  // A first section that says its numbering runs on had nothing to run on from alone.
  plain.body = Para("plain one") +
               "<w:p><w:pPr><w:sectPr><w:footnotePr><w:numRestart w:val=\"continuous\"/>"
               "</w:footnotePr><w:pgSz w:w=\"12240\" w:h=\"15840\"/></w:sectPr></w:pPr></w:p>" +
               Para("plain two");
  for (bool romanFirst : {true, false}) {
    ResultPackage r = romanFirst ? Join({Write("r.docx", roman), Write("p.docx", plain)})
                                 : Join({Write("p.docx", plain), Write("r.docx", roman)});
    auto notes = Select(r.Xml("word/document.xml"), "//w:sectPr/w:footnotePr");
    ASSERT_EQ(notes.size(), 4u);
    for (std::size_t i = 0; i < notes.size(); ++i) {
      const bool isRoman = (i < 2) == romanFirst;
      EXPECT_STREQ(notes[i].child("w:numFmt").attribute("w:val").value(),
                   isRoman ? "lowerRoman" : "decimal");
      std::string restart = notes[i].child("w:numRestart").attribute("w:val").value();
      // A document's first section starts its numbering again; its later ones run on.
      EXPECT_EQ(restart, isRoman ? "eachPage" : (i % 2 == 0 ? "eachSect" : "continuous")) << i;
    }
  }
}

TEST_F(LookTest, AParagraphStatingPartOfItsIndentStatesTheRestFromItsOwnStyles) {
  FixtureDoc a, b;
  a.body = Para("earlier", "<w:ind w:left=\"1440\" w:right=\"720\" w:firstLine=\"0\"/>");
  b.styles =
      "<w:style w:type=\"paragraph\" w:styleId=\"Quote\"><w:name w:val=\"Quote\"/>"
      "<w:pPr><w:ind w:left=\"567\" w:hanging=\"283\"/></w:pPr></w:style>";
  b.numbering =
      "<w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/>"
      "<w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/><w:pPr><w:ind w:left=\"720\" "
      "w:hanging=\"360\"/></w:pPr></w:lvl></w:abstractNum><w:num w:numId=\"1\">"
      "<w:abstractNumId w:val=\"0\"/></w:num>";
  b.body = Para("first line only", "<w:pStyle w:val=\"Quote\"/><w:ind w:firstLine=\"720\"/>") +
           Para("right only", "<w:ind w:right=\"300\"/>") +
           Para("listed",
                "<w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr>"
                "<w:ind w:firstLine=\"0\"/>");
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b)});
  auto& doc = r.Xml("word/document.xml");
  auto ind = [&](const char* text) {
    std::string out;
    for (pugi::xml_attribute at :
         ParagraphWith(doc, text).child("w:pPr").child("w:ind").attributes())
      out += std::string(at.name()) + "=" + at.value() + " ";
    return out;
  };
  // The style's left and hanging indent give way to the stated first line as they would in
  // Word; what nobody sets is none, not the earlier paragraph's.
  EXPECT_EQ(ind("first line only"), "w:firstLine=720 w:left=567 w:right=0 ");
  EXPECT_EQ(ind("right only"), "w:right=300 w:left=0 w:firstLine=0 ");
  // A list level's indent comes between the style and the paragraph: left to the list.
  EXPECT_EQ(ind("listed"), "w:firstLine=0 ");
}

TEST_F(LookTest, TextBoxTextStatesItsStylesColourWhereTheResultsDefaultsStateAnother) {
  auto box = [](const std::string& paragraphs) {
    return "<w:p><w:r><w:pict><v:shape xmlns:v=\"urn:schemas-microsoft-com:vml\"><v:textbox>"
           "<w:txbxContent>" +
           paragraphs + "</w:txbxContent></v:textbox></v:shape></w:pict></w:r></w:p>";
  };
  FixtureDoc a, b;
  a.docDefaults = "<w:rPrDefault><w:rPr><w:color w:val=\"FABF8F\"/></w:rPr></w:rPrDefault>";
  a.body = Para("first") + box(Para("first boxed"));
  b.styles =
      "<w:style w:type=\"paragraph\" w:styleId=\"Green\"><w:name w:val=\"Green\"/>"
      "<w:rPr><w:color w:val=\"00B050\"/></w:rPr></w:style>"
      "<w:style w:type=\"paragraph\" w:styleId=\"Peach\"><w:name w:val=\"Peach\"/>"
      "<w:rPr><w:color w:val=\"FABF8F\"/></w:rPr></w:style>"
      "<w:style w:type=\"character\" w:styleId=\"Red\"><w:name w:val=\"Red\"/>"
      "<w:rPr><w:color w:val=\"FF0000\"/></w:rPr></w:style>";
  b.body = Para("outside") +
           box(Para("plain") + Para("green", "<w:pStyle w:val=\"Green\"/>") +
               Para("peach", "<w:pStyle w:val=\"Peach\"/>") +
               "<w:p><w:r><w:rPr><w:color w:val=\"0000FF\"/></w:rPr><w:t>blue</w:t></w:r>"
               "<w:r><w:rPr><w:rStyle w:val=\"Red\"/></w:rPr><w:t>red</w:t></w:r></w:p>"
               "<w:tbl><w:tr><w:tc>" +
               Para("cell") + "</w:tc></w:tr></w:tbl>" + Para("after table"));
  ResultPackage r = Join({Write("a.docx", a), Write("b.docx", b)});
  auto& doc = r.Xml("word/document.xml");
  auto colour = [&](const char* text) {
    for (pugi::xml_node t : Select(doc, "//w:t")) {
      if (text == std::string_view(t.text().get()))
        return std::string(t.parent().child("w:rPr").child("w:color").attribute("w:val").value());
    }
    return std::string("no such run");
  };
  // LibreOffice colours text box text with the result's defaults over its paragraph style, so
  // the colour Word takes from the style is stated on the runs.
  EXPECT_EQ(colour("plain"), "auto");
  EXPECT_EQ(colour("green"), "00B050");
  EXPECT_EQ(colour("after table"), "auto");
  // Nothing where the text is already that colour, states its own or takes it from elsewhere:
  // the result's defaults, the run, its character style, a table's style, the main text, the
  // first document.
  EXPECT_EQ(colour("peach"), "");
  EXPECT_EQ(colour("blue"), "0000FF");
  EXPECT_EQ(colour("red"), "");
  EXPECT_EQ(colour("cell"), "");
  EXPECT_EQ(colour("outside"), "");
  EXPECT_EQ(colour("first boxed"), "");
}

}  // namespace
}  // namespace plenwick::word::test
