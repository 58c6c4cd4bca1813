#include "shell/win32/Win32RegistryStore.h"

#include "shell/win32/WindowsHeaders.h"

#include <utility>

#include "shell/win32/WideText.h"

namespace plenwick::shell {
namespace {

constexpr const wchar_t* kRoot = L"Software\\Tarvik\\Plenwick";

// The subkey below kRoot and the value name of a key "a/b/name".
std::pair<std::wstring, std::wstring> Split(std::string_view key) {
  std::wstring wide = Utf16(key);
  std::wstring subkey = kRoot;
  const std::size_t last = wide.rfind(L'/');
  if (last != std::wstring::npos) {
    std::wstring folders = wide.substr(0, last);
    for (wchar_t& c : folders) {
      if (c == L'/') c = L'\\';
    }
    subkey += L"\\" + folders;
    wide.erase(0, last + 1);
  }
  return {subkey, wide};
}

}  // namespace

std::string Win32RegistryStore::Read(std::string_view key) {
  const auto [subkey, name] = Split(key);
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                   &bytes) != ERROR_SUCCESS ||
      bytes < sizeof(wchar_t)) {
    return {};
  }
  std::wstring value(bytes / sizeof(wchar_t), L'\0');
  if (RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                   value.data(), &bytes) != ERROR_SUCCESS) {
    return {};
  }
  value.resize(bytes / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0') value.pop_back();
  return Utf8(value);
}

void Win32RegistryStore::Write(std::string_view key, const std::string& value) {
  const auto [subkey, name] = Split(key);
  const std::wstring wide = Utf16(value);
  const auto bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
  RegSetKeyValueW(HKEY_CURRENT_USER, subkey.c_str(), name.c_str(), REG_SZ, wide.c_str(), bytes);
}

}  // namespace plenwick::shell
