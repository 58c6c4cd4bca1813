#include "shell/win32/Win32ShellOpen.h"

#include "shell/win32/WindowsHeaders.h"
// Windows first: the shell headers build on its types.
#include <shellapi.h>

#include "platform/win/WideText.h"
#include "shell/win32/WideText.h"

namespace plenwick::shell {

Status Win32ShellOpen::Open(const std::string& target) {
  const std::wstring wide = Utf16(target);
  // Empty (not null) parameters and folder, as the shell's own callers pass them.
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", wide.c_str(), L"", L"", SW_SHOWNORMAL));
  // Values above 32 mean the action was started.
  if (result > 32) return Ok();
  const auto code = static_cast<unsigned long>(result);
  const std::string reason = code == SE_ERR_NOASSOC || code == SE_ERR_ASSOCINCOMPLETE
                                 ? "no program is set up to open it"
                                 : platform::win::ErrorText(code == 0 ? ERROR_OUTOFMEMORY : code);
  return MakeError(errc::kGeneric, reason);
}

}  // namespace plenwick::shell
