// Bad input gets a clear error and the document stays exactly as it was.
#include <gtest/gtest.h>

#include "DocxFixture.h"
#include "JoinHelpers.h"

namespace plenwick::word::test {
namespace {

class FailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FixtureDoc good;
    good.body = "<w:p><w:r><w:t>good</w:t></w:r><w:r><w:footnoteReference w:id=\"1\"/></w:r></w:p>";
    good.footnotes = "<w:footnote w:id=\"1\"><w:p><w:r><w:t>n</w:t></w:r></w:p></w:footnote>";
    WriteDocx(dir_ / "good.docx", good);
    ASSERT_TRUE(joiner_.Insert((dir_ / "good.docx").string()).ok());
    ASSERT_TRUE(joiner_.Save((dir_ / "before.doc").string()).ok());
  }

  // Inserts a bad file, expects the given error code, and checks that saving now gives the
  // same parts as before.
  void ExpectRefused(const std::filesystem::path& bad, int code) {
    Status s = joiner_.Insert(bad.string());
    ASSERT_FALSE(s.ok()) << bad;
    EXPECT_EQ(s.error().code, code) << s.error().message;
    EXPECT_FALSE(s.error().message.empty());
    ASSERT_TRUE(joiner_.Save((dir_ / "after.doc").string()).ok());
    ResultPackage before(dir_ / "before.doc"), after(dir_ / "after.doc");
    EXPECT_EQ(before.Names(), after.Names());
    for (const std::string& n : before.Names()) {
      if (n == "docProps/core.xml") continue;
      EXPECT_EQ(before.Text(n), after.Text(n)) << n << " changed after a refused insert";
    }
  }

  TempFolder dir_;
  Joiner joiner_;
};

TEST_F(FailureTest, NotAPackage) {
  WriteBytes(dir_ / "text.docx", "just some text, not a document");
  WriteBytes(dir_ / "empty.docx", "");
  ExpectRefused(dir_ / "empty.docx", wordc::kNotWordDocument);
}

TEST_F(FailureTest, MissingFile) {
  ExpectRefused(dir_ / "nowhere.docx", wordc::kReadFailed);
}

TEST_F(FailureTest, TruncatedPackage) {
  std::string bytes = ReadBytes(dir_ / "good.docx");
  WriteBytes(dir_ / "cut.docx", bytes.substr(0, bytes.size() / 2));
  Status s = joiner_.Insert((dir_ / "cut.docx").string());
  ASSERT_FALSE(s.ok());
  ExpectRefused(dir_ / "cut.docx", s.error().code);
}

TEST_F(FailureTest, EncryptedPackage) {
  // An OLE compound file holding an EncryptedPackage stream.
  std::string ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  ole += std::string(504, '\0');
  for (char c : std::string("EncryptedPackage")) {
    ole += c;
    ole += '\0';
  }
  ole += std::string(1024, '\0');
  WriteBytes(dir_ / "locked.docx", ole);
  ExpectRefused(dir_ / "locked.docx", wordc::kPasswordProtected);
}

TEST_F(FailureTest, ZipThatIsNoWordDocument) {
  FixtureDoc d;
  d.documentXml = "<?xml version=\"1.0\"?><sheet/>";
  WriteDocx(dir_ / "sheet.docx", d);
  ExpectRefused(dir_ / "sheet.docx", wordc::kNotWordDocument);
}

TEST_F(FailureTest, DoctypeAndEntitiesAreRefused) {
  FixtureDoc d;
  d.documentXml = std::string(
                      "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY x SYSTEM "
                      "\"file:///etc/passwd\">]><w:document") +
                  kNs + "><w:body><w:p><w:r><w:t>&x;</w:t></w:r></w:p></w:body></w:document>";
  WriteDocx(dir_ / "xxe.docx", d);
  ExpectRefused(dir_ / "xxe.docx", wordc::kDamaged);
}

TEST_F(FailureTest, MalformedPartLateInTheAppend) {
  // The main text is fine; the footnotes part, read after it, is broken.
  FixtureDoc d;
  d.body = "<w:p><w:r><w:t>x</w:t></w:r><w:r><w:footnoteReference w:id=\"1\"/></w:r></w:p>";
  d.footnotes = "<w:footnote w:id=\"1\"><w:p>";  // not well-formed
  WriteDocx(dir_ / "late.docx", d);
  ExpectRefused(dir_ / "late.docx", wordc::kDamaged);
}

TEST_F(FailureTest, TwoBodies) {
  FixtureDoc d;
  d.documentXml = std::string("<?xml version=\"1.0\"?><w:document") + kNs +
                  "><w:body><w:p/></w:body><w:body><w:p/></w:body></w:document>";
  WriteDocx(dir_ / "bodies.docx", d);
  ExpectRefused(dir_ / "bodies.docx", wordc::kDamaged);
}

TEST_F(FailureTest, AGoodFileStillAppendsAfterRefusals) {
  std::string bytes = ReadBytes(dir_ / "good.docx");
  WriteBytes(dir_ / "cut.docx", bytes.substr(0, bytes.size() - 30));
  EXPECT_FALSE(joiner_.Insert((dir_ / "cut.docx").string()).ok());
  ASSERT_TRUE(joiner_.Insert((dir_ / "good.docx").string()).ok());
  ASSERT_TRUE(joiner_.Save((dir_ / "after.doc").string()).ok());
  ResultPackage r(dir_ / "after.doc");
  EXPECT_EQ(Select(r.Xml("word/document.xml"), "//w:t").size(), 2u);
  EXPECT_EQ(Select(r.Xml("word/footnotes.xml"), "//w:footnote").size(), 4u);
}

}  // namespace
}  // namespace plenwick::word::test
