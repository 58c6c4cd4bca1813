// The factory, the blank document and saving.
#include <gtest/gtest.h>

#include <cstdlib>

#include "DocxFixture.h"
#include "JoinHelpers.h"
#include "tests/support/TestPaths.h"
#include "word/engine/Blank.h"

namespace plenwick::word::test {
namespace {

TEST(WordLayer, CreateObjectResolvesWordApplicationIgnoringCase) {
  EXPECT_TRUE(CreateObject("Word.Application").ok());
  EXPECT_TRUE(CreateObject("WORD.application").ok());
  for (const char* other : {"Excel.Application", "Word.Application.8", "", "Word"}) {
    auto app = CreateObject(other);
    ASSERT_FALSE(app.ok()) << other;
    EXPECT_EQ(app.error().code, errc::kUnavailable);
    EXPECT_FALSE(app.error().message.empty());
  }
}

TEST(WordLayer, PaperFollowsTheTerritoryOfTheLocale) {
  using engine::Paper;
  using engine::PaperForLocaleName;
  EXPECT_EQ(PaperForLocaleName("en_US.UTF-8"), Paper::kLetter);
  EXPECT_EQ(PaperForLocaleName("fr_CA.UTF-8"), Paper::kLetter);
  EXPECT_EQ(PaperForLocaleName("es_MX"), Paper::kLetter);
  EXPECT_EQ(PaperForLocaleName("en_PH.UTF-8@x"), Paper::kLetter);
  EXPECT_EQ(PaperForLocaleName("en_GB.UTF-8"), Paper::kA4);
  EXPECT_EQ(PaperForLocaleName("de_DE"), Paper::kA4);
  EXPECT_EQ(PaperForLocaleName("C.UTF-8"), Paper::kA4);
  EXPECT_EQ(PaperForLocaleName("POSIX"), Paper::kA4);
}

TEST(WordLayer, BlankDocumentHasOneParagraphAFinalSectionAndTheUsualParts) {
  TempFolder dir;
  Joiner j;
  ASSERT_TRUE(j.Save((dir / "blank.doc").string()).ok());
  ResultPackage r(dir / "blank.doc");
  for (const char* part :
       {"[Content_Types].xml", "_rels/.rels", "word/document.xml", "word/styles.xml",
        "word/settings.xml", "word/fontTable.xml", "word/theme/theme1.xml", "docProps/core.xml",
        "docProps/app.xml", "word/_rels/document.xml.rels"}) {
    EXPECT_TRUE(r.Has(part)) << part;
  }
  auto& doc = r.Xml("word/document.xml");
  EXPECT_EQ(Select(doc, "/w:document/w:body/w:p").size(), 1u);
  auto sect = Select(doc, "/w:document/w:body/*[last()]");
  ASSERT_EQ(sect.size(), 1u);
  EXPECT_STREQ(sect[0].name(), "w:sectPr");
  EXPECT_TRUE(sect[0].child("w:pgSz"));
  EXPECT_EQ(Select(r.Xml("word/styles.xml"), "//w:docDefaults").size(), 1u);
}

TEST(WordLayer, SavingAgainReplacesTheFileAndLeavesNothingElseBehind) {
  TempFolder dir;
  TempFolder tmp;
  {
    const plenwick::test::ScopedTemporaryFolder privateTmp(tmp.path());
    FixtureDoc a;
    a.body = "<w:p><w:r><w:t>first</w:t></w:r></w:p>";
    WriteDocx(tmp / "a.docx", a);
    Joiner j;
    ASSERT_TRUE(j.Insert((tmp / "a.docx").string()).ok());
    const std::string out = (dir / "All-One-Doc 1.doc").string();
    ASSERT_TRUE(j.Save(out).ok());
    ASSERT_TRUE(j.Insert((tmp / "a.docx").string()).ok());
    ASSERT_TRUE(j.Save(out).ok());
    ResultPackage r(out);
    EXPECT_EQ(Select(r.Xml("word/document.xml"), "//w:t").size(), 2u);
    j.Release();
  }
  std::filesystem::remove(tmp / "a.docx");
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path())) << "temporary files left behind";
  std::size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1u) << "spare or temporary files left beside the output";
}

TEST(WordLayer, AFailedSaveReportsAndKeepsThePreviousFile) {
  TempFolder dir;
  FixtureDoc a;
  a.body = "<w:p><w:r><w:t>kept</w:t></w:r></w:p>";
  WriteDocx(dir / "a.docx", a);
  Joiner j;
  ASSERT_TRUE(j.Insert((dir / "a.docx").string()).ok());
  const auto out = dir / "out.doc";
  ASSERT_TRUE(j.Save(out.string()).ok());
  const std::string before = ReadBytes(out);
  // A folder where the file should go, and a path under a regular file: both must fail.
  std::filesystem::create_directory(dir / "taken.doc");
  EXPECT_FALSE(j.Save((dir / "taken.doc").string()).ok());
  Status underFile = j.Save((dir / "a.docx" / "x.doc").string());
  EXPECT_FALSE(underFile.ok());
  EXPECT_EQ(ReadBytes(out), before);
  ASSERT_TRUE(j.Save(out.string()).ok());
}

TEST(WordLayer, InsertingAnywhereButTheEndIsRefused) {
  TempFolder dir;
  FixtureDoc a;
  a.body = "<w:p><w:r><w:t>x</w:t></w:r></w:p>";
  WriteDocx(dir / "a.docx", a);
  Joiner j;
  ASSERT_TRUE(j.Insert((dir / "a.docx").string()).ok());
  auto range = j.document().Range();
  ASSERT_TRUE(range.ok());
  Status s = (*range)->InsertFile((dir / "a.docx").string());  // not collapsed
  ASSERT_FALSE(s.ok());
  EXPECT_EQ(s.error().code, wordc::kInvalidState);
  EXPECT_FALSE((*range)->Collapse(7).ok());
}

}  // namespace
}  // namespace plenwick::word::test
