// The handlers in which the Win32 window has a part: the chosen folder shown, "Join Documents",
// and the window closed.
#include "app/win32/Win32Form1.h"

namespace plenwick::win32app {

void Form1::ShowSourceFolder(const std::string& folder) {
  SetControlText(form::kSourceFolderBox, folder);
  for (const std::string_view name : form::ShownBySourceFolder()) SetControlVisible(name, true);
  if (ControlState* button = FindMutable(form::kEnabledBySourceFolder)) {
    button->enabled = true;
    EnableWindow(button->window, TRUE);
  }
}

Status Form1::CmdSplit_Click() {
  if (!joinHandler_) return Ok();
  return joinHandler_(*this);
}

Status Form1::LblClose_Click() {
  // Unloading the window ends the program (WM_CLOSE); running handlers unwind first.
  if (hwnd_ != nullptr) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
  return Ok();
}

}  // namespace plenwick::win32app
