// Appends arbitrary packages to a new document through the Word layer, as the join run does,
// and saves the result. Two promises are checked besides "no crash, no leak, no hang": a
// document whose insert failed is exactly as it was, and every save is a package the reader
// accepts in full.
//
// Inputs that are not ZIP packages are skipped: the engine hands those to the legacy converter,
// an outside program, which is not what this target exercises.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "word/WordApi.h"
#include "word/package/Sniff.h"
#include "word/package/Zip.h"

using namespace plenwick;
using namespace plenwick::word;

namespace {

// A private folder for the input and the saves, in memory where the system offers it; removed
// when the fuzzer exits.
class WorkFolder {
 public:
  WorkFolder() {
    const char* base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string templ = std::string(base) + "/plenwick-fuzz-XXXXXX";
    if (!::mkdtemp(templ.data())) std::abort();
    path_ = templ;
  }
  ~WorkFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const std::string& WorkDir() {
  static const WorkFolder folder;
  return folder.path();
}

std::map<std::string, std::string> Contents(const std::string& path) {
  Result<package::ZipReader> zip = package::ZipReader::Open(path);
  if (!zip) {
    std::fprintf(stderr, "saved package unreadable: %s\n", zip.error().message.c_str());
    __builtin_trap();
  }
  std::map<std::string, std::string> parts;
  for (const std::string& name : zip->Names()) {
    Result<std::string> bytes = zip->Read(name);
    if (!bytes) {
      std::fprintf(stderr, "saved part unreadable: %s\n", bytes.error().message.c_str());
      __builtin_trap();
    }
    parts[name] = std::move(*bytes);
  }
  return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (package::Sniff(bytes) != package::Container::kZip) return 0;
  const std::string input = WorkDir() + "/input.docx";
  const std::string before = WorkDir() + "/before.doc";
  const std::string after = WorkDir() + "/after.doc";
  {
    std::ofstream out(input, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

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
