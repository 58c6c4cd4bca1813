#include "shell/win32/Win32FolderPicker.h"

#include "shell/win32/WindowsHeaders.h"
// Windows first: the shell headers build on its types.
#include <shlobj.h>

#include <array>
#include <memory>

#include "shell/win32/WideText.h"

namespace plenwick::shell {
namespace {

struct TaskMemFree {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Chooses the start folder (lpData) once the dialog is up.
int CALLBACK ChooseStart(HWND dialog, UINT message, LPARAM /*parameter*/, LPARAM start) {
  if (message == BFFM_INITIALIZED && start != 0) {
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, start);
  }
  return 0;
}

}  // namespace

std::string Win32FolderPicker::Pick(WindowHandle owner, const std::string& title,
                                    const std::string& startFolder) {
  const std::wstring wideTitle = Utf16(title);
  std::wstring start = Utf16(startFolder);
  if (start.empty() || !IsFolder(start)) {
    std::array<wchar_t, MAX_PATH> home{};
    start = SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, 0, home.data()))
                ? std::wstring(home.data())
                : std::wstring();
  }
  BROWSEINFOW info{};
  info.hwndOwner = static_cast<HWND>(owner);
  info.lpszTitle = wideTitle.c_str();
  // Only folders with a file-system path; no new-style dialog and no edit box.
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = &ChooseStart;
  info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
  const std::unique_ptr<ITEMIDLIST, TaskMemFree> chosen(SHBrowseForFolderW(&info));
  if (!chosen) return {};
  std::array<wchar_t, MAX_PATH> path{};
  if (!SHGetPathFromIDListW(chosen.get(), path.data())) return {};
  // The shell gives no trailing backslash, except for a drive's root.
  return Utf8(path.data());
}

}  // namespace plenwick::shell
