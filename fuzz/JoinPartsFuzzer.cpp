// Joins two or three fuzzed documents through the Word layer, as the join run does, so that the
// paths only a later document takes (styles, numbering and themes meeting those already in the
// result) are exercised with XML the reader accepts. See PartPackage.h for the input's layout.
//
// Checked besides "no crash, no leak, no hang":
// - an insert that fails names its reason and leaves the document exactly as it was;
// - the document saved after every insert to one path (the incremental saves the join run
//   makes) holds the same parts as a second document, given the same inserts, written afresh to
//   a new path each time;
// - every save is a package the reader accepts in full.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "fuzz/PartPackage.h"
#include "fuzz/WorkFolder.h"
#include "word/WordApi.h"

using namespace plenwick;
using namespace plenwick::word;

namespace {

constexpr std::size_t kMaxDocuments = 3;

struct Target {
  std::shared_ptr<Document> doc;
  std::shared_ptr<Range> range;
};

Target NewDocument(Documents& docs) {
  Result<std::shared_ptr<Document>> doc = docs.Add();
  if (!doc) __builtin_trap();
  Result<std::shared_ptr<Range>> range = (*doc)->Range();
  if (!range || !(*range)->Collapse(kCollapseEnd)) __builtin_trap();
  return {*doc, *range};
}

void Save(Document& doc, const std::string& path) {
  const Status s = doc.SaveAs(path);
  if (!s) {
    std::fprintf(stderr, "save failed: %s\n", s.error().message.c_str());
    __builtin_trap();
  }
}

// The creation time in the core properties is the clock's, not the inserts'.
std::map<std::string, std::string> Comparable(std::map<std::string, std::string> parts) {
  parts.erase("docProps/core.xml");
  return parts;
}

void ReportDifference(const std::map<std::string, std::string>& a,
                      const std::map<std::string, std::string>& b) {
  for (const auto& [name, bytes] : a) {
    auto other = b.find(name);
    if (other == b.end()) {
      std::fprintf(stderr, "  %s only in the incremental save\n", name.c_str());
    } else if (other->second != bytes) {
      std::fprintf(stderr, "  %s differs\n", name.c_str());
    }
  }
  for (const auto& [name, bytes] : b) {
    if (!a.contains(name)) std::fprintf(stderr, "  %s only in the fresh save\n", name.c_str());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> fields =
      fuzz::SplitFields(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::size_t perDocument = fuzz::kFuzzedParts.size();
  const std::size_t given =
      std::min(kMaxDocuments, (fields.size() + perDocument - 1) / perDocument);
  // A single document is joined with itself: the later-document paths run on every input.
  const std::size_t documents = std::max<std::size_t>(given, 2);

  const std::string& dir = fuzz::WorkDir();
  const std::string output = dir + "/joined.docx";
  Result<std::shared_ptr<Application>> app = CreateObject("Word.Application");
  if (!app) __builtin_trap();
  Result<std::shared_ptr<Documents>> docs = (*app)->Documents();
  if (!docs) __builtin_trap();
  Target incremental = NewDocument(**docs);
  Target fresh = NewDocument(**docs);

  Save(*incremental.doc, output);
  std::map<std::string, std::string> before = Comparable(fuzz::Contents(output));
  for (std::size_t d = 0; d < documents; ++d) {
    const std::size_t from = (d % given) * perDocument;
    const std::string input = dir + "/input" + std::to_string(d) + ".docx";
    fuzz::WriteFile(input, fuzz::BuildPackage(std::span(fields).subspan(
                               from, std::min(perDocument, fields.size() - from))));

    const Status inserted = incremental.range->InsertFile(input);
    const Status again = fresh.range->InsertFile(input);
    if (inserted.ok() != again.ok()) {
      std::fprintf(stderr, "the same insert into two documents went two ways\n");
      __builtin_trap();
    }
    if (!inserted && inserted.error().message.empty()) __builtin_trap();

    Save(*incremental.doc, output);
    std::map<std::string, std::string> saved = Comparable(fuzz::Contents(output));
    if (!inserted && saved != before) {
      std::fprintf(stderr, "a failed insert (%s) changed the document\n",
                   inserted.error().message.c_str());
      ReportDifference(saved, before);
      __builtin_trap();
    }
    // A path the fresh document was not saved to last time: a full write.
    const std::string freshPath = dir + "/fresh" + std::to_string(d % 2) + ".docx";
    Save(*fresh.doc, freshPath);
    const std::map<std::string, std::string> full = Comparable(fuzz::Contents(freshPath));
    if (saved != full) {
      std::fprintf(stderr, "after document %zu the incremental save differs from a full write\n",
                   d + 1);
      ReportDifference(saved, full);
      __builtin_trap();
    }
    before = std::move(saved);
  }
  return 0;
}
