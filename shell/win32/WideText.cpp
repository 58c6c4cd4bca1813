#include "shell/win32/WideText.h"

#include "platform/Utf16.h"
#include "platform/win/WideText.h"

namespace plenwick::shell {

std::wstring Utf16(std::string_view utf8) {
  if (auto wide = platform::win::Wide(utf8)) return *wide;
  // Every byte outside ASCII becomes "?" and a NUL a space: the rest of the text still reads.
  std::string plain(utf8);
  for (char& c : plain) {
    if (c == '\0') c = ' ';
    if (static_cast<unsigned char>(c) >= 0x80) c = '?';
  }
  return platform::win::Wide(plain).value_or(std::wstring());
}

std::string Utf8(std::wstring_view utf16) {
  if (auto narrow = platform::win::Narrow(utf16)) return *narrow;
  return platform::Utf8FromUtf16Lossy(std::u16string(utf16.begin(), utf16.end()));
}

}  // namespace plenwick::shell
