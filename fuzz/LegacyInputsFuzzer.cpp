// Drives the legacy side's own code, the part that runs before and after the office converts a
// file, from memory: the content sniffer and the compound-file reader over a memory source, the
// RTF \bin repair, the web-archive unpacker, and the repair of converted packages. The office
// itself is never started.
//
// The first byte picks what the rest is: even, a file as it comes (sniffed, and repaired or
// unpacked as its format needs); odd, the fields of a package built around fuzzed parts (see
// PartPackage.h), repaired as a converted package is.
//
// Checked besides "no crash, no leak, no hang":
// - a file sniffs the same from memory and from disk, a rejection carries its reason;
// - a compound file's streams never read longer than asked or than they are;
// - the RTF repair leaves no uncounted \bin behind and never grows the file;
// - an unpacked web archive's files all lie inside the folder given;
// - a repaired package is read in full, and repairing it again changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>

#include "fuzz/PartPackage.h"
#include "fuzz/WorkFolder.h"
#include "word/legacy/ByteSource.h"
#include "word/legacy/CompoundFile.h"
#include "word/legacy/DocxRepair.h"
#include "word/legacy/FormatSniffer.h"
#include "word/legacy/MhtmlUnpack.h"
#include "word/legacy/RtfRepair.h"

using namespace plenwick;
using namespace plenwick::word::legacy;

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void CheckCompoundFile(ByteSource& source) {
  Result<CompoundFile> file = CompoundFile::Open(source);
  if (!file) {
    if (file.error().message.empty()) __builtin_trap();
    return;
  }
  for (const CompoundEntry& entry : file->RootEntries()) {
    if (file->Find(entry.name) == nullptr) __builtin_trap();
    if (!entry.isStream) continue;
    constexpr std::size_t kAsk = 4096;
    Result<std::vector<unsigned char>> head = file->ReadHead(entry, kAsk);
    if (head && (head->size() > kAsk || head->size() > entry.size)) {
      std::fprintf(stderr, "stream %s read %zu bytes of %llu\n", entry.name.c_str(), head->size(),
                   static_cast<unsigned long long>(entry.size));
      __builtin_trap();
    }
  }
}

void CheckRtf(std::string_view rtf) {
  const std::string once = DropUncountedBin(rtf);
  if (once.size() > rtf.size()) __builtin_trap();
  if (DropUncountedBin(once) != once) {
    std::fprintf(stderr, "the repaired RTF still holds an uncounted \\bin\n");
    __builtin_trap();
  }
}

void CheckWebArchive(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(fuzz::WorkDir()) / "unpacked";
  std::error_code ec;
  fs::remove_all(dir, ec);
  fs::create_directory(dir, ec);
  if (ec) std::abort();
  Result<fs::path> page = UnpackMhtml(path, dir);
  if (!page) {
    if (page.error().message.empty()) __builtin_trap();
  } else if (page->parent_path() != dir || !fs::is_regular_file(*page)) {
    __builtin_trap();
  }
  // Nothing may be written beside the folder given: only the input and the folder are there.
  for (const fs::directory_entry& e : fs::directory_iterator(fuzz::WorkDir())) {
    const fs::path name = e.path().filename();
    if (name != "unpacked" && name != "input" && name != "package.docx") {
      std::fprintf(stderr, "the web archive wrote %s outside its folder\n", e.path().c_str());
      __builtin_trap();
    }
  }
}

void CheckFile(std::string_view bytes) {
  MemorySource memory(
      std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
  const SniffResult sniffed = SniffSource(memory);
  if (sniffed.format == LegacyFormat::kRejected && sniffed.reason.message.empty()) {
    __builtin_trap();
  }
  if (sniffed.Convertible() && sniffed.description.empty()) __builtin_trap();
  CheckCompoundFile(memory);

  const std::string path = fuzz::WorkDir() + "/input";
  fuzz::WriteFile(path, bytes);
  Result<SniffResult> fromDisk = SniffFile(path);
  if (!fromDisk || fromDisk->format != sniffed.format ||
      fromDisk->textCharset != sniffed.textCharset) {
    std::fprintf(stderr, "the file sniffs differently from disk\n");
    __builtin_trap();
  }
  if (sniffed.format == LegacyFormat::kRtf || bytes.starts_with("{\\rtf")) CheckRtf(bytes);
  if (sniffed.format == LegacyFormat::kWebArchive) CheckWebArchive(path);
}

void CheckRepair(std::string_view input) {
  const std::vector<std::string_view> fields = fuzz::SplitFields(input);
  const std::string path = fuzz::WorkDir() + "/package.docx";
  fuzz::WriteFile(path, fuzz::BuildPackage(fields));
  if (!RepairConvertedDocx(path)) return;
  (void)fuzz::Contents(path);
  const std::string repaired = ReadFile(path);
  if (!RepairConvertedDocx(path)) {
    std::fprintf(stderr, "a repaired package cannot be repaired again\n");
    __builtin_trap();
  }
  if (ReadFile(path) != repaired) {
    std::fprintf(stderr, "repairing a repaired package changed it again\n");
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] % 2 == 0) {
    CheckFile(rest);
  } else {
    CheckRepair(rest);
  }
  return 0;
}
