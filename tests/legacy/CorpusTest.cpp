// Every legacy file of the shared corpus converts, or, for the problem files its SOURCES.md
// lists, fails cleanly with a reason; one office serves them all.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "LegacyTestSupport.h"
#include "word/legacy/FormatSniffer.h"
#include "word/legacy/LegacyErrors.h"

#if PLENWICK_HAS_LIBREOFFICE_CONVERTER
#include "word/legacy/LibreOfficeConverter.h"
#endif

namespace plenwick::word::legacy {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(PLENWICK_SHARED_DIR) / "corpus" / "public";

// File (as "poi/X.doc") -> the first word of its note when it is a problem file.
[[maybe_unused]] std::map<std::string, std::string> ProblemFiles() {
  std::map<std::string, std::string> out;
  std::ifstream in(kCorpus / "SOURCES.md");
  for (std::string line; std::getline(in, line);) {
    if (!line.starts_with("| `")) continue;
    const auto end = line.find('`', 3);
    const auto noteStart = line.rfind(" | ");
    if (end == std::string::npos || noteStart == std::string::npos) continue;
    const std::string note = line.substr(noteStart + 3);
    for (const char* kind : {"MALFORMED", "ENCRYPTED", "MISLABELLED", "ODD", "SECURITY"}) {
      if (note.starts_with(kind)) out[line.substr(3, end - 3)] = kind;
    }
  }
  return out;
}

// The corpus files the converter is for: by extension, and any other the sniffer calls legacy.
[[maybe_unused]] std::vector<fs::path> LegacyFiles() {
  std::vector<fs::path> out;
  for (const auto& e : fs::recursive_directory_iterator(kCorpus)) {
    if (!e.is_regular_file()) continue;
    const std::string ext = e.path().extension().string();
    auto sniff = SniffFile(e.path().string());
    const bool legacy = sniff && sniff->Convertible();
    if (ext == ".doc" || ext == ".rtf" || legacy) out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST(LegacyCorpus, ProblemFilesAreKnownToTheSniffer) {
  if (!fs::exists(kCorpus / "SOURCES.md")) GTEST_SKIP() << "no shared corpus at " << kCorpus;
  // Encrypted and mislabelled legacy files never reach the office.
  for (const char* name : {"poi/PasswordProtected.doc", "poi/password_password_cryptoapi.doc",
                           "poi/bug53475-password-is-pass.docx", "poi/protected_agile.docx"}) {
    auto r = SniffFile((kCorpus / name).string());
    ASSERT_TRUE(r) << name;
    EXPECT_EQ(r->reason.code, codes::kPasswordProtected) << name;
  }
  auto sheet = SniffFile((kCorpus / "poi/TestRobert_Flaherty.doc").string());
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->reason.message, "not a Word document (a spreadsheet)");
  auto docm = SniffFile(
      (kCorpus / "poi/cpansearch.perl.org_src_tobyink_acme-rundoc-0.001_word-lib_hello_world.docm")
          .string());
  ASSERT_TRUE(docm);
  EXPECT_EQ(docm->format, LegacyFormat::kWord97);
  auto word2 = SniffFile((kCorpus / "poi/word2.doc").string());
  ASSERT_TRUE(word2);
  EXPECT_EQ(word2->format, LegacyFormat::kWord2);
}

#if PLENWICK_HAS_LIBREOFFICE_CONVERTER
TEST(LegacyCorpus, EveryFileConvertsOrFailsCleanly) {
  if (!fs::exists(kCorpus / "SOURCES.md")) GTEST_SKIP() << "no shared corpus at " << kCorpus;
  std::string why;
  if (!testing::ConverterAvailable(why)) GTEST_SKIP() << why;
  const auto problems = ProblemFiles();
  testing::TempDir out;
  auto converter = MakeLibreOfficeConverter();
  int converted = 0;
  int failed = 0;
  for (const fs::path& file : LegacyFiles()) {
    const std::string name = fs::relative(file, kCorpus).string();
    const auto problem = problems.find(name);
    const fs::path docx = out.path() / "result.docx";
    const auto started = std::chrono::steady_clock::now();
    const Status st = converter->ConvertToDocx(file.string(), docx.string());
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - started)
                        .count();
    if (st) {
      ++converted;
      EXPECT_NE(testing::ReadZipEntry(docx, "word/document.xml").find("<w:body"), std::string::npos)
          << name;
      std::printf("  converted %-60s %6lld ms\n", name.c_str(), static_cast<long long>(ms));
    } else {
      ++failed;
      EXPECT_TRUE(problem != problems.end())
          << name << " failed: " << st.error().message;
      EXPECT_FALSE(st.error().message.empty()) << name;
      EXPECT_FALSE(fs::exists(docx)) << name;
      std::printf("  refused   %-60s %6lld ms  %s\n", name.c_str(), static_cast<long long>(ms),
                  st.error().message.c_str());
    }
    if (problem != problems.end() && problem->second == "ENCRYPTED") {
      EXPECT_FALSE(st) << name;
      if (!st) {
        EXPECT_EQ(st.error().code, codes::kPasswordProtected) << name;
      }
    }
    std::error_code ec;
    fs::remove(docx, ec);
  }
  std::printf("  %d converted, %d refused\n", converted, failed);
  EXPECT_GE(converted, 35);
}
#else
TEST(LegacyCorpus, NeedsTheLibreOfficeConverter) {
  std::string why;
  testing::ConverterAvailable(why);
  GTEST_SKIP() << why;
}
#endif

}  // namespace
}  // namespace plenwick::word::legacy
