#include "shell/win32/Win32MessageBox.h"

#include "shell/win32/WindowsHeaders.h"

#include <string>

#include "shell/win32/WideText.h"

namespace plenwick::shell {

void Win32MessageBox::Show(std::string_view text, int style) {
  const UINT type = style == kMsgInformation ? MB_OK | MB_ICONINFORMATION
                    : style == kMsgWarning   ? MB_OK | MB_ICONWARNING
                                             : MB_OK;
  const HWND owner = static_cast<HWND>(owner_);
  MessageBoxW(owner != nullptr && IsWindow(owner) ? owner : nullptr, Utf16(text).c_str(),
              Utf16(kAppTitle).c_str(), type);
}

}  // namespace plenwick::shell
