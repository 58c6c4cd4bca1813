#include "shell/win32/WideText.h"

#include "shell/win32/WindowsHeaders.h"

#include <climits>

namespace plenwick::shell {

std::wstring Utf16(std::string_view utf8) {
  if (utf8.empty() || utf8.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int bytes = static_cast<int>(utf8.size());
  const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, wide.data(), units);
  return wide;
}

std::string Utf8(std::wstring_view utf16) {
  if (utf16.empty() || utf16.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int units = static_cast<int>(utf16.size());
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, utf16.data(), units, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string narrow(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), units, narrow.data(), bytes, nullptr, nullptr);
  return narrow;
}

}  // namespace plenwick::shell
