// Appends arbitrary packages to a new document through the Word layer, as the join run does,
// and saves the result. Two promises are checked besides "no crash, no leak, no hang": a
// document whose insert failed is exactly as it was, and every save is a package the reader
// accepts in full.
//
// Inputs that are not ZIP packages are skipped: the engine hands those to the legacy converter,
// an outside program, which is not what this target exercises.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "fuzz/WorkFolder.h"
#include "word/WordApi.h"
#include "word/package/Sniff.h"

using namespace plenwick;
using namespace plenwick::word;
using fuzz::Contents;
using fuzz::WorkDir;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (package::Sniff(bytes) != package::Container::kZip) return 0;
  const std::string input = WorkDir() + "/input.docx";
  const std::string before = WorkDir() + "/before.doc";
  const std::string after = WorkDir() + "/after.doc";
  fuzz::WriteFile(input, bytes);

  Result<std::shared_ptr<Application>> app = CreateObject("Word.Application");
  if (!app) __builtin_trap();
  Result<std::shared_ptr<Documents>> docs = (*app)->Documents();
  if (!docs) __builtin_trap();
  Result<std::shared_ptr<Document>> doc = (*docs)->Add();
  if (!doc) __builtin_trap();
  Result<std::shared_ptr<Range>> range = (*doc)->Range();
  if (!range || !(*range)->Collapse(kCollapseEnd)) __builtin_trap();

  if (!(*doc)->SaveAs(before)) __builtin_trap();
  const Status inserted = (*range)->InsertFile(input);
  if (!(*doc)->SaveAs(after)) __builtin_trap();
  const std::map<std::string, std::string> saved = Contents(after);
  if (!inserted && saved != Contents(before)) {
    std::fprintf(stderr, "a failed insert (%s) changed the document\n",
                 inserted.error().message.c_str());
    __builtin_trap();
  }
  if (!inserted && inserted.error().message.empty()) __builtin_trap();
  return 0;
}
