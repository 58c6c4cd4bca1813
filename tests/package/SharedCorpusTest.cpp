// The shared corpus of real documents: every OOXML package opens and reads in full, and every
// broken, encrypted or foreign file fails with a reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/support/TestPaths.h"
#include "word/package/Opc.h"
#include "word/package/Zip.h"

namespace plenwick::word::package {
namespace {

namespace fs = std::filesystem;

// "" when the package opens and every part reads (and its XML parses); else the first reason.
std::string Outcome(const fs::path& file) {
  Result<ZipReader> zip = ZipReader::Open(plenwick::test::Utf8(file));
  if (!zip) return zip.error().message;
  for (const std::string& name : zip->Names()) {
    Result<std::string> bytes = zip->Read(name);
    if (!bytes) return bytes.error().message;
    if (ExtensionOf(name) == "rels") {
      if (Result<Relationships> r = Relationships::Parse(*bytes, name); !r)
        return r.error().message;
    } else if (SameName(name, "[Content_Types].xml")) {
      if (Result<ContentTypes> t = ContentTypes::Parse(*bytes); !t) return t.error().message;
    } else if (ExtensionOf(name) == "xml") {
      pugi::xml_document doc;
      if (Status s = LoadXml(doc, *bytes, name); !s) return s.error().message;
    }
  }
  return "";
}

TEST(SharedCorpus, PackagesReadInFullAndEverythingElseFailsWithAReason) {
  const fs::path corpus = fs::path(PLENWICK_SHARED_DIR) / "corpus" / "public";
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no shared corpus at " << corpus;

  const std::map<std::string, std::string> problems = {
      {"truncated62886.docx", "damaged: truncated archive (no central directory)"},
      {"clusterfuzz-testcase-minimized-POIXWPFFuzzer-6733884933668864.docx",
       "damaged: CRC mismatch in word/theme/theme1.xml"},
      {"clusterfuzz-testcase-minimized-POIXWPFFuzzer-4791943399604224.docx", "damaged: "},
      {"bug53475-password-is-pass.docx", "password-protected"},
      {"protected_agile.docx", "password-protected"},
      {"ExternalEntityInText.docx",
       "damaged: XML with a document type declaration in word/document.xml"},
      // Named .docm, but a Word 97-2003 file.
      {"cpansearch.perl.org_src_tobyink_acme-rundoc-0.001_word-lib_hello_world.docm",
       "Word 97-2003 format is not supported yet"},
  };
  int packages = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = plenwick::test::Utf8(entry.path().filename());
    const std::string ext = ExtensionOf(name);
    if (ext == "md") continue;
    const std::string outcome = Outcome(entry.path());
    if (auto p = problems.find(name); p != problems.end()) {
      EXPECT_TRUE(outcome.starts_with(p->second)) << name << ": " << outcome;
    } else if (ext == "docx" || ext == "docm" || ext == "dotx") {
      EXPECT_EQ(outcome, "") << name;
      ++packages;
    } else {
      // Word 97-2003 and RTF files: not packages, said so.
      EXPECT_NE(outcome, "") << name;
    }
  }
  EXPECT_GE(packages, 50);
}

}  // namespace
}  // namespace plenwick::word::package
