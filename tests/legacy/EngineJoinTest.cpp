// Legacy files through the Word layer: each one the corpus has appends to one document, saved
// after each as the join run does, and the result passes the structural check; a legacy file
// that cannot be joined leaves the document exactly as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "LegacyTestSupport.h"
#include "tests/support/TestPaths.h"
#include "word/WordApi.h"

namespace plenwick::word {
namespace {

namespace fs = std::filesystem;

const fs::path kShared = PLENWICK_SHARED_DIR;
const fs::path kCorpus = kShared / "corpus" / "public";

struct Joiner {
  std::shared_ptr<Application> app;
  std::shared_ptr<Document> doc;

  Joiner() {
    auto a = CreateObject("Word.Application");
    if (!a) return;
    app = *a;
    auto docs = app->Documents();
    if (!docs) return;
    auto d = (*docs)->Add();
    if (d) doc = *d;
  }

  Status Insert(const fs::path& file) {
    auto range = doc->Range();
    if (!range) return range.error();
    if (auto st = (*range)->Collapse(kCollapseEnd); !st) return st;
    return (*range)->InsertFile(file.string());
  }
};

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

bool DocxCheckPasses(const fs::path& docx, std::string& report) {
  const fs::path out = docx.string() + ".check.txt";
  const std::string cmd = "/usr/bin/python3 '" +
                          (kShared / "tools/docx-check/docx-check").string() + "' --errors-only '" +
                          docx.string() + "' > '" + out.string() + "' 2>&1";
  const int rc = std::system(cmd.c_str());
  report = Slurp(out);
  return rc == 0;
}

class LegacyJoin : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!legacy::testing::ConverterAvailable(why)) GTEST_SKIP() << why;
    if (!fs::exists(kCorpus)) GTEST_SKIP() << "no shared corpus at " << kCorpus;
  }
  legacy::testing::TempDir dir_;
};

TEST_F(LegacyJoin, EveryConvertibleCorpusFileAppendsAndTheResultChecksClean) {
  Joiner join;
  ASSERT_TRUE(join.doc);
  const fs::path result = dir_.path() / "joined.doc";
  std::vector<fs::path> files;
  for (const char* dir : {"poi", "pandoc"}) {
    for (const auto& e : fs::directory_iterator(kCorpus / dir)) {
      const auto ext = e.path().extension();
      if (ext == ".doc" || ext == ".rtf") files.push_back(e.path());
    }
  }
  std::sort(files.begin(), files.end());
  int appended = 0;
  for (const auto& f : files) {
    const Status st = join.Insert(f);
    if (st) {
      ++appended;
    } else {
      EXPECT_FALSE(st.error().message.empty()) << f;
      std::printf("  refused %s: %s\n", plenwick::test::Utf8(f.filename()).c_str(),
                  st.error().message.c_str());
    }
    ASSERT_TRUE(join.doc->SaveAs(result.string())) << f;
  }
  EXPECT_GE(appended, 35);
  std::string report;
  EXPECT_TRUE(DocxCheckPasses(result, report)) << report;
}

TEST_F(LegacyJoin, AFailedLegacyFileLeavesTheDocumentAsItWas) {
  Joiner join;
  ASSERT_TRUE(join.doc);
  ASSERT_TRUE(join.Insert(kCorpus / "poi/SampleDoc.doc"));
  const fs::path before = dir_.path() / "before.docx";
  const fs::path after = dir_.path() / "after.docx";
  ASSERT_TRUE(join.doc->SaveAs(before.string()));
  for (const char* bad :
       {"poi/PasswordProtected.doc", "poi/TestRobert_Flaherty.doc",
        "poi/clusterfuzz-testcase-minimized-POIHWPFFuzzer-5418937293340672.doc"}) {
    const Status st = join.Insert(kCorpus / bad);
    EXPECT_FALSE(st) << bad;
  }
  const fs::path garbage = dir_.Write("garbage.doc", std::string(5000, '\x01'));
  EXPECT_FALSE(join.Insert(garbage));
  ASSERT_TRUE(join.doc->SaveAs(after.string()));
  EXPECT_EQ(legacy::testing::ReadZipEntry(before, "word/document.xml"),
            legacy::testing::ReadZipEntry(after, "word/document.xml"));
}

}  // namespace
}  // namespace plenwick::word
