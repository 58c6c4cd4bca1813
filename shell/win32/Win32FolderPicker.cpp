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

}  // namespace

std::string Win32FolderPicker::Pick(WindowHandle owner, const std::string& title) {
  const std::wstring wideTitle = Utf16(title);
  BROWSEINFOW info{};
  info.hwndOwner = static_cast<HWND>(owner);
  info.lpszTitle = wideTitle.c_str();
  // Only folders with a file-system path; no new-style dialog, edit box or callback, so the
  // dialog opens at the desktop with nothing chosen.
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  const std::unique_ptr<ITEMIDLIST, TaskMemFree> chosen(SHBrowseForFolderW(&info));
  if (!chosen) return {};
  std::array<wchar_t, MAX_PATH> path{};
  if (!SHGetPathFromIDListW(chosen.get(), path.data())) return {};
  // The shell gives no trailing backslash, except for a drive's root.
  return Utf8(path.data());
}

}  // namespace plenwick::shell
