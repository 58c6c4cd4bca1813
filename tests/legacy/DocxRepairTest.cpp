// The mending of converted packages, on a package made by the test with each fault LibreOffice's
// export is known to write.
#include <gtest/gtest.h>
#include <zip.h>

#include <string>
#include <utility>
#include <vector>

#include "LegacyTestSupport.h"
#include "word/legacy/DocxRepair.h"

namespace plenwick::word::legacy {
namespace {

using testing::ReadZipEntry;

const char* kW =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
    "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\"";

void WriteZip(const std::string& path,
              const std::vector<std::pair<std::string, std::string>>& entries) {
  int err = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  ASSERT_NE(z, nullptr);
  for (const auto& [name, data] : entries) {
    zip_source_t* s = zip_source_buffer(z, data.data(), data.size(), 0);
    ASSERT_GE(zip_file_add(z, name.c_str(), s, ZIP_FL_ENC_UTF_8), 0);
  }
  ASSERT_EQ(zip_close(z), 0);
}

std::size_t Count(const std::string& haystack, const std::string& needle) {
  std::size_t n = 0;
  for (auto at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1))
    ++n;
  return n;
}

TEST(DocxRepair, MendsWhatTheOfficeExportGetsWrongAndKeepsTheRest) {
  testing::TempDir dir;
  const std::string docx = (dir.path() / "converted.docx").string();
  const std::string document =
      std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document ") +
      kW +
      "><w:body>"
      "<w:p><w:pPr><w:jc w:val=\"center\"/><w:pStyle w:val=\"Heading1\"/>"
      "<w:rPr><w:b/><w:ins w:id=\"9\" w:author=\"a\"/></w:rPr></w:pPr>"
      "<w:bookmarkStart w:id=\"1\" w:name=\"_Ref1\"/><w:r><w:t xml:space=\"preserve\"> </w:t></w:r>"
      "<w:bookmarkEnd w:id=\"1\"/><w:bookmarkStart w:id=\"2\" w:name=\"_REF1\"/>"
      "<w:bookmarkEnd w:id=\"2\"/><w:bookmarkStart w:id=\"3\" w:name=\"open\"/>"
      "<w:bookmarkEnd w:id=\"4\"/>"
      "<w:r><w:rPr><w:rStyle w:val=\"Missing\"/></w:rPr><w:t>kept text</w:t></w:r></w:p>"
      "<w:p><w:r><w:drawing><wp:extent cx=\"-5\" cy=\"10\"/><a:ext cx=\"-502549795\" cy=\"7\"/>"
      "<a:srgbClr val=\"auto\"/><a:srgbClr val=\"FF0000\"/></w:drawing></w:r></w:p>"
      "<w:tbl><w:tblPr><w:tblCellMar><w:left w:w=\"100\" w:type=\"dxa\"/>"
      "<w:right w:w=\"100\" w:type=\"dxa\"/></w:tblCellMar></w:tblPr><w:tr><w:tc><w:tcPr>"
      "<w:tcW w:w=\"2000\" w:type=\"dxa\"/></w:tcPr><w:p><w:pPr><w:tabs>"
      "<w:tab w:val=\"clear\" w:pos=\"9000\"/><w:tab w:val=\"left\" w:pos=\"1000\"/>"
      "<w:tab w:val=\"left\" w:pos=\"5000\" w:leader=\"dot\"/>"
      "<w:tab w:val=\"right\" w:pos=\"6000\"/></w:tabs></w:pPr>"
      "<w:r><w:t>fee</w:t><w:tab/></w:r></w:p></w:tc></w:tr></w:tbl>"
      "<w:p><w:pPr><w:sectPr><w:type w:val=\"continuous\"/></w:sectPr></w:pPr></w:p>"
      "</w:body></w:document>";
  const std::string styles =
      std::string("<w:styles ") + kW + "><w:style w:styleId=\"Heading1\"/></w:styles>";
  const std::string numbering =
      std::string("<w:numbering ") + kW +
      "><w:abstractNum w:abstractNumId=\"1\"><w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/>"
      "<w:pStyle w:val=\"Heading1\"/><w:numFmt w:val=\"none\"/><w:lvlText w:val=\"\"/>"
      "</w:lvl></w:abstractNum></w:numbering>";
  const std::string comments =
      std::string("<w:comments ") + kW +
      "><w:comment w:id=\"0\" w:author=\"x\" w:date=\"0-00-00T00:00:00Z\"/>"
      "<w:comment w:id=\"1\" w:author=\"y\" w:date=\"2020-01-02T03:04:05Z\"/>"
      "</w:comments>";
  const std::string media(3000, '\x7F');
  WriteZip(docx, {{"word/document.xml", document},
                  {"word/styles.xml", styles},
                  {"word/numbering.xml", numbering},
                  {"word/comments.xml", comments},
                  {"word/media/image1.png", media}});

  ASSERT_TRUE(RepairConvertedDocx(docx));

  const std::string d = ReadZipEntry(docx, "word/document.xml");
  EXPECT_NE(d.find("<w:pPr><w:pStyle w:val=\"Heading1\"/><w:jc w:val=\"center\"/>"
                   "<w:rPr><w:ins w:id=\"9\" w:author=\"a\"/><w:b/></w:rPr></w:pPr>"),
            std::string::npos)
      << d;
  EXPECT_EQ(Count(d, "w:bookmarkStart"), 1u) << d;  // the duplicate name and the open one go
  EXPECT_EQ(Count(d, "w:bookmarkEnd"), 1u) << d;
  EXPECT_NE(d.find("w:name=\"_Ref1\""), std::string::npos);
  EXPECT_EQ(d.find("Missing"), std::string::npos);
  EXPECT_NE(d.find("<w:t xml:space=\"preserve\"> </w:t>"), std::string::npos);
  EXPECT_NE(d.find("kept text"), std::string::npos);
  EXPECT_NE(d.find("<wp:extent cx=\"0\" cy=\"10\"/><a:ext cx=\"0\" cy=\"7\"/>"), std::string::npos);
  EXPECT_NE(d.find("<a:srgbClr val=\"000000\"/><a:srgbClr val=\"FF0000\"/>"), std::string::npos);
  EXPECT_NE(d.find("standalone=\"yes\""), std::string::npos);
  // The blank line the export makes up to carry a section break after a table is one point.
  EXPECT_NE(d.find("</w:tbl><w:p><w:pPr><w:spacing w:before=\"0\" w:after=\"0\" w:line=\"20\" "
                   "w:lineRule=\"exact\"/><w:rPr><w:sz w:val=\"2\"/><w:szCs w:val=\"2\"/>"
                   "</w:rPr><w:sectPr>"),
            std::string::npos)
      << d;
  // A stop past the cell's text (2000 less two margins of 100) ends at its edge; one stop there.
  EXPECT_NE(d.find("<w:tabs><w:tab w:val=\"clear\" w:pos=\"9000\"/><w:tab w:val=\"left\" "
                   "w:pos=\"1000\"/><w:tab w:val=\"left\" w:pos=\"1800\" w:leader=\"dot\"/>"
                   "</w:tabs>"),
            std::string::npos)
      << d;

  EXPECT_NE(
      ReadZipEntry(docx, "word/numbering.xml")
          .find("<w:start w:val=\"1\"/><w:numFmt w:val=\"none\"/><w:pStyle w:val=\"Heading1\"/>"),
      std::string::npos);
  const std::string c = ReadZipEntry(docx, "word/comments.xml");
  EXPECT_EQ(c.find("0-00-00"), std::string::npos);
  EXPECT_NE(c.find("2020-01-02T03:04:05Z"), std::string::npos);
  EXPECT_EQ(ReadZipEntry(docx, "word/media/image1.png"), media);
}

TEST(DocxRepair, LeavesACleanPackageUntouchedAndFailsOnOneThatIsNotAPackage) {
  testing::TempDir dir;
  const std::string docx = (dir.path() / "clean.docx").string();
  WriteZip(docx, {{"word/document.xml",
                   std::string("<w:document ") + kW + "><w:body><w:p/></w:body></w:document>"}});
  const auto before = std::filesystem::last_write_time(docx);
  ASSERT_TRUE(RepairConvertedDocx(docx));
  EXPECT_EQ(std::filesystem::last_write_time(docx), before);

  const auto junk = dir.Write("junk.docx", "not a zip at all");
  EXPECT_FALSE(RepairConvertedDocx(junk.string()));
}

}  // namespace
}  // namespace plenwick::word::legacy
