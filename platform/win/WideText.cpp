#include "platform/win/WideText.h"

#include <windows.h>

#include <algorithm>

#include "platform/Utf16.h"

namespace plenwick::platform::win {

std::optional<std::wstring> Wide(std::string_view utf8) {
  if (utf8.find('\0') != std::string_view::npos) return std::nullopt;
  std::optional<std::u16string> wide = Utf16FromUtf8(utf8);
  if (!wide) return std::nullopt;
  return std::wstring(wide->begin(), wide->end());
}

std::optional<std::string> Narrow(std::wstring_view wide) {
  return Utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}

std::optional<std::wstring> WidePath(std::string_view utf8) {
  std::optional<std::wstring> wide = Wide(utf8);
  if (!wide) return std::nullopt;
  // Short paths and relative ones as they are; "C:\..." past the old limit in the \\?\ form,
  // where "." and ".." are no longer understood, so only paths without them.
  constexpr std::size_t kOldLimit = MAX_PATH - 12;  // room for a file name a folder gets
  const bool driveAbsolute =
      wide->size() > 2 && (*wide)[1] == L':' && ((*wide)[2] == L'\\' || (*wide)[2] == L'/');
  if (wide->size() >= kOldLimit && driveAbsolute) {
    std::wstring path = *wide;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    if (path.find(L"\\.\\") == std::wstring::npos && path.find(L"\\..\\") == std::wstring::npos &&
        !path.ends_with(L"\\.") && !path.ends_with(L"\\..")) {
      return L"\\\\?\\" + path;
    }
  }
  return wide;
}

std::string ErrorText(unsigned long error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message;
  if (length > 0 && text != nullptr) {
    std::wstring_view view(text, length);
    while (!view.empty() && (view.back() == L'\n' || view.back() == L'\r' || view.back() == L'.')) {
      view.remove_suffix(1);
    }
    message = Utf8FromUtf16Lossy(std::u16string(view.begin(), view.end()));
  }
  if (text != nullptr) LocalFree(text);
  if (message.empty()) message = "system error " + std::to_string(error);
  return message;
}

}  // namespace plenwick::platform::win
