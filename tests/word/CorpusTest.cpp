// The shared corpus of real documents: every valid one appends, every broken one is refused
// cleanly, and the joined result passes the structural checker.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "DocxFixture.h"
#include "JoinHelpers.h"

namespace plenwick::word::test {
namespace {

const std::filesystem::path kShared = PLENWICK_SHARED_DIR;

// Files the checker itself finds broken (see the corpus notes) or that are not packages.
bool ExpectedToFail(const std::string& name) {
  for (const char* bad : {"truncated62886", "clusterfuzz", "bug53475-password", "protected_agile",
                          "stress025", "MultipleBodyBug", "ExternalEntityInText"}) {
    if (name.find(bad) != std::string::npos) return true;
  }
#ifdef _WIN32
  // A Word 97-2003 file under a .docm name: the Windows build has no LibreOffice to convert it.
  if (name.find("acme-rundoc") != std::string::npos) return true;
#endif
  return false;
}

// Valid files with schema errors of their own, which a join would carry into the result.
bool HasOwnSchemaErrors(const std::string& name) {
  for (const char* odd :
       {"utf8-bom.docx", "alternate_document_path.docx", "equations.docx", "image_vml.docx",
        "ns0-reference.docx", "comments-rich-para.docx", "strict-format.docx"}) {
    if (name == odd) return true;
  }
  return false;
}

std::vector<std::filesystem::path> CorpusPackages() {
  std::vector<std::filesystem::path> out;
  for (const auto& e :
       std::filesystem::recursive_directory_iterator(kShared / "corpus" / "public")) {
    std::string ext = e.path().extension().string();
    if (ext == ".docx" || ext == ".docm" || ext == ".dotx") out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST(Corpus, EveryValidPackageAppendsAndEveryBrokenOneIsRefused) {
  if (!std::filesystem::exists(kShared / "corpus" / "public")) {
    GTEST_SKIP() << "no shared corpus beside the repository";
  }
  TempFolder dir;
  Joiner j;
  Joiner clean;
  for (const auto& path : CorpusPackages()) {
    Status s = j.Insert(path.string());
    if (ExpectedToFail(path.filename().string())) {
      EXPECT_FALSE(s.ok()) << path << " should be refused";
      if (!s.ok()) {
        EXPECT_FALSE(s.error().message.empty());
      }
    } else {
      EXPECT_TRUE(s.ok()) << path << ": " << (s.ok() ? "" : s.error().message);
      if (!HasOwnSchemaErrors(path.filename().string())) {
        EXPECT_TRUE(clean.Insert(path.string()).ok()) << path;
      }
    }
  }
  ASSERT_TRUE(j.Save((dir / "everything.doc").string()).ok());
  const auto out = dir / "corpus.doc";
  ASSERT_TRUE(clean.Save(out.string()).ok());
  const auto checker = kShared / "tools" / "docx-check" / "docx-check";
#ifdef _WIN32
  GTEST_SKIP() << "docx-check is a Linux program; the Windows build's output is checked from Linux";
#endif
  if (!std::filesystem::exists(checker) || !std::filesystem::exists("/usr/bin/python3")) {
    GTEST_SKIP() << "docx-check is not available";
  }
  // The result is checked as a .docx (the checker goes by the name's extension).
  std::filesystem::copy_file(out, dir / "corpus.docx");
  std::string cmd = "/usr/bin/python3 '" + checker.string() + "' --errors-only '" +
                    (dir / "corpus.docx").string() + "' > '" + (dir / "check.txt").string() +
                    "' 2>&1";
  int rc = std::system(cmd.c_str());
  std::ifstream report(dir / "check.txt");
  std::string text((std::istreambuf_iterator<char>(report)), std::istreambuf_iterator<char>());
  EXPECT_EQ(rc, 0) << text;
}

}  // namespace
}  // namespace plenwick::word::test
