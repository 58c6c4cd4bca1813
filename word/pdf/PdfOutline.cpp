#include "word/pdf/PdfOutline.h"

#include <dlfcn.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "word/WordApi.h"
#include "word/pdf/OutlineModule.h"

namespace plenwick::word::pdf {
namespace {

std::string SelfDir() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : self.parent_path().string();
}

// The module's place: named by the environment, installed (bin/../lib/plenwick), beside the
// program, or else where this build put it.
std::string ModulePath() {
  if (const char* p = std::getenv("PLENWICK_PDF_OUTLINE_MODULE"); p != nullptr && *p != 0) return p;
  std::error_code ec;
  const std::string self = SelfDir();
  for (const std::string& candidate :
       {self + "/../lib/plenwick/plenwick-pdf-outline.so", self + "/plenwick-pdf-outline.so",
        std::string(PLENWICK_PDF_OUTLINE_MODULE_PATH)}) {
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
  }
  return {};
}

struct LoadedWriter {
  OutlineWriterFn write = nullptr;
  std::string error;
};

// Loaded once and kept for the life of the program.
const LoadedWriter& Writer() {
  static const LoadedWriter loaded = [] {
    LoadedWriter w;
    const std::string path = ModulePath();
    if (path.empty()) {
      w.error = "its module (plenwick-pdf-outline.so) is missing; reinstall the program";
      return w;
    }
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
      const char* why = dlerror();
      w.error = "its module cannot be loaded: " + std::string(why != nullptr ? why : path);
      return w;
    }
    using Entry = OutlineWriterFn (*)();
    auto entry = reinterpret_cast<Entry>(dlsym(module, kOutlineWriterSymbol));
    if (entry == nullptr) {
      w.error = "its module " + path + " is not this program's";
      return w;
    }
    w.write = entry();
    return w;
  }();
  return loaded;
}

}  // namespace

std::string OfficeDestinationName(const std::string& bookmark) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string name;
  for (char ch : bookmark) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80 && std::isalnum(c) != 0) {
      name.push_back(ch);
    } else {
      // Beyond ASCII it escapes the URL escape of the byte ("%C3" becomes "25C3").
      if (c >= 0x80) name += "25";
      name.push_back(kHex[c >> 4]);
      name.push_back(kHex[c & 15]);
    }
  }
  return name;
}

Status OutlineWriterAvailable() {
  const LoadedWriter& writer = Writer();
  if (writer.write != nullptr) return Ok();
  return MakeError(wordc::kConverterMissing, "PDF needs the outline writer, but " + writer.error);
}

Result<std::map<std::string, int>> WriteWithOutline(const std::string& in,
                                                    const std::vector<OutlineEntry>& entries,
                                                    const std::string& out) {
  const LoadedWriter& writer = Writer();
  if (writer.write == nullptr) {
    return MakeError(wordc::kWriteFailed, "the PDF's outline cannot be made: " + writer.error);
  }
  OutlineResult result = writer.write(in, entries, out);
  if (!result.error.empty()) {
    return MakeError(wordc::kWriteFailed, "the PDF's outline cannot be made: " + result.error);
  }
  return std::move(result.pages);
}

}  // namespace plenwick::word::pdf
