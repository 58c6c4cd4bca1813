#include "shell/win32/Win32ShellOpen.h"

#include "shell/win32/WindowsHeaders.h"
// Windows first: the shell headers build on its types.
#include <shellapi.h>

#include "shell/win32/WideText.h"

namespace plenwick::shell {

void Win32ShellOpen::Open(const std::string& target) {
  const std::wstring wide = Utf16(target);
  // Empty (not null) parameters and folder, as the shell's own callers pass them.
  ShellExecuteW(nullptr, L"open", wide.c_str(), L"", L"", SW_SHOWNORMAL);
}

}  // namespace plenwick::shell
