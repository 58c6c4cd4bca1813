#include "word/automation/Utf16.h"

#include <windows.h>

#include <climits>

namespace plenwick::word::automation {

std::wstring ToUtf16(std::string_view utf8) {
  if (utf8.empty() || utf8.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int length = static_cast<int>(utf8.size());
  const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
  if (wide <= 0) return {};
  std::wstring text(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, text.data(), wide);
  return text;
}

std::string ToUtf8(std::wstring_view utf16) {
  if (utf16.empty() || utf16.size() > static_cast<std::size_t>(INT_MAX)) return {};
  const int length = static_cast<int>(utf16.size());
  const int narrow =
      WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
  if (narrow <= 0) return {};
  std::string text(static_cast<std::size_t>(narrow), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, text.data(), narrow, nullptr, nullptr);
  return text;
}

}  // namespace plenwick::word::automation
