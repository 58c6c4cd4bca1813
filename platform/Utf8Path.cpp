#include "platform/Utf8Path.h"

#include "platform/Utf16.h"

namespace plenwick::platform {

#ifdef _WIN32
namespace {

std::u16string Utf16Lossy(const std::string& utf8) {
  if (std::optional<std::u16string> exact = Utf16FromUtf8(utf8)) return *exact;
  // Byte by byte: good runs stay, each bad byte becomes U+FFFD.
  std::u16string out;
  for (std::size_t at = 0; at < utf8.size();) {
    std::size_t length = 1;
    std::optional<std::u16string> piece;
    for (; length <= 4 && at + length <= utf8.size(); ++length) {
      piece = Utf16FromUtf8(std::string_view(utf8).substr(at, length));
      if (piece) break;
    }
    if (piece) {
      out += *piece;
      at += length;
    } else {
      out.push_back(u'\uFFFD');
      ++at;
    }
  }
  return out;
}

}  // namespace

std::filesystem::path PathFromUtf8(const std::string& utf8) {
  const std::u16string wide = Utf16Lossy(utf8);
  return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::wstring& wide = path.native();
  return Utf8FromUtf16Lossy(std::u16string(wide.begin(), wide.end()));
}
#else
std::filesystem::path PathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(utf8);
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  return path.string();
}
#endif

}  // namespace plenwick::platform
