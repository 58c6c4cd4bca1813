// Bad input gets a clear error and the document stays exactly as it was.
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <string>

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
  // A folder named like a document: Windows refuses to open it as "access denied", which would
  // send the user looking for a permission problem.
  std::filesystem::create_directory(dir_ / "folder.docx");
  const Status folder = joiner_.Insert((dir_ / "folder.docx").string());
  ASSERT_FALSE(folder.ok());
  EXPECT_NE(folder.error().message.find("not a regular file"), std::string::npos)
      << folder.error().message;
  ExpectRefused(dir_ / "folder.docx", wordc::kReadFailed);
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

  // The font table is read after the sections: a document with the very same header after one
  // refused there gets a part of its own, as the refused one's was never written (sections of
  // several documents may share a header part).
  FixtureDoc fonts;
  fonts.body = "<w:p><w:r><w:t>x</w:t></w:r></w:p>";
  fonts.fonts = "<w:font w:name=\"Broken\">";  // not well-formed
  fonts.headers["header1.xml"] = "<w:p><w:r><w:t>shared header</w:t></w:r></w:p>";
  fonts.sectPr = "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH1\"/></w:sectPr>";
  WriteDocx(dir_ / "fonts.docx", fonts);
  ExpectRefused(dir_ / "fonts.docx", wordc::kDamaged);
  FixtureDoc same;
  same.body = "<w:p><w:r><w:t>y</w:t></w:r></w:p>";
  same.headers = fonts.headers;
  same.sectPr = fonts.sectPr;
  WriteDocx(dir_ / "same.docx", same);
  ASSERT_TRUE(joiner_.Insert((dir_ / "same.docx").string()).ok());
  ASSERT_TRUE(joiner_.Save((dir_ / "after2.doc").string()).ok());
  ResultPackage r(dir_ / "after2.doc");
  int headers = 0;
  for (pugi::xml_node rel : r.Xml("word/_rels/document.xml.rels").document_element().children()) {
    const std::string target = rel.attribute("Target").value();
    if (target.find("header") == std::string::npos) continue;
    ++headers;
    EXPECT_TRUE(r.Has("word/" + target)) << target << " is named but missing";
  }
  EXPECT_GT(headers, 0);
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

// A part can nest elements far deeper than any stack holds frames: a few kilobytes inflate to
// tens of thousands of levels. Each level carries a number of its own, so the part stays under
// the inflate-ratio limit as a real attack's would.
std::string Nested(const std::string& open, const std::string& inner, const std::string& close,
                   int depth) {
  std::string out;
  std::uint32_t x = 12345;
  for (int i = 0; i < depth; ++i) {
    x = x * 1664525u + 1013904223u;
    std::string level = open;
    level.insert(level.find('>'), " w:rsidR=\"" + std::to_string(x >> 8) + "\"");
    out += level;
  }
  out += inner;
  for (int i = 0; i < depth; ++i) out += close;
  return out;
}

TEST_F(FailureTest, DeepNestingJoinsWithoutExhaustingTheStack) {
  constexpr int kDepth = 30000;
  FixtureDoc d;
  // Content controls inside content controls, each walked by every pass over a story.
  d.body = Nested("<w:sdt><w:sdtContent>",
                  "<w:p><w:bookmarkStart w:id=\"7\" w:name=\"deep\"/><w:r><w:t>deep</w:t></w:r>"
                  "<w:bookmarkEnd w:id=\"7\"/></w:p>",
                  "</w:sdtContent></w:sdt>", kDepth);
  // Property elements inside property elements, each of which the engine puts in order.
  d.body += "<w:tbl><w:tblPr>" +
            Nested("<w:tblCellMar>", "<w:left w:w=\"1.5\"/>", "</w:tblCellMar>", kDepth) +
            "</w:tblPr><w:tblGrid/><w:tr><w:tc><w:p/></w:tc></w:tr></w:tbl>";
  d.settings =
      "<w:compat><w:doNotUseHTMLParagraphAutoSpacing/></w:compat>" +
      Nested("<w:docVars>", "<w:docVar w:name=\"a\" w:val=\"b\"/>", "</w:docVars>", kDepth);
  WriteDocx(dir_ / "deep.docx", d);
  const Status inserted = joiner_.Insert((dir_ / "deep.docx").string());
  ASSERT_TRUE(inserted.ok()) << inserted.error().message;
  ASSERT_TRUE(joiner_.Save((dir_ / "after.doc").string()).ok());
  ResultPackage r(dir_ / "after.doc");
  EXPECT_EQ(Select(r.Xml("word/document.xml"), "//w:t").size(), 2u);
  EXPECT_EQ(Select(r.Xml("word/document.xml"), "//w:sdt").size(), std::size_t{kDepth});
}

#if defined(__SANITIZE_ADDRESS__)
#define PLENWICK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PLENWICK_ASAN 1
#endif
#endif

TEST_F(FailureTest, NestedNamespaceDeclarationsNeedMemoryInProportion) {
#if defined(PLENWICK_ASAN)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit this test sets";
#elif defined(_WIN32)
  GTEST_SKIP() << "limits the address space with setrlimit, which Windows does not have";
#else
  // Every level declares a prefix of its own: 5,000 levels once needed 1.4 GB.
  std::string open;
  std::string close;
  for (int i = 0; i < 5000; ++i) {
    open += "<w:customXml xmlns:p" + std::to_string(i) +
            "=\"urn:plenwick:test:" + std::to_string(i) + "\" w:element=\"e\">";
    close += "</w:customXml>";
  }
  FixtureDoc d;
  d.body = open + "<w:p><w:r><w:t>ns</w:t></w:r></w:p>" + close;
  WriteDocx(dir_ / "namespaces.docx", d);
  const std::string path = (dir_ / "namespaces.docx").string();
  const std::string out = (dir_ / "after.doc").string();
  // The fixture's save leaves the writer's threads behind. A child forked beside them can
  // inherit a lock one of them holds and wait for it forever, as a run on a busy machine once
  // did until the test timed out; a child that starts the test afresh has threads of its own.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = rlim_t{512} << 20;
        setrlimit(RLIMIT_AS, &limit);
        const bool ok = joiner_.Insert(path).ok() && joiner_.Save(out).ok();
        std::_Exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
#endif
}

}  // namespace
}  // namespace plenwick::word::test
