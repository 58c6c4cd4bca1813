#include "word/pdf/PdfOutline.h"

#include <dlfcn.h>

#include <cctype>

#include "platform/CompanionFile.h"
#include "word/WordApi.h"
#include "word/pdf/OutlineModule.h"

namespace plenwick::word::pdf {
namespace {

std::string ModulePath() {
  return platform::FindCompanion(
      "PLENWICK_PDF_OUTLINE_MODULE",
      {"../lib/plenwick/plenwick-pdf-outline.so", "plenwick-pdf-outline.so"},
      PLENWICK_PDF_OUTLINE_MODULE_PATH);
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
