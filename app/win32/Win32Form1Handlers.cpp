// The click handlers of the window's buttons and link labels.
#include "app/win32/Win32Form1.h"
#include "form/WebAddresses.h"
#include "shell/FolderPath.h"
#include "shell/modMain.h"

namespace plenwick::win32app {

Status Form1::CmdBrowse_Click() {
  // Replaced even by "": a cancelled selection leaves no source folder for the next run.
  sourceFolder = PickFolder(form::kBrowseTitle);
  if (sourceFolder.empty()) return Ok();
  sourceFolder = shell::WithTrailingSeparator(std::move(sourceFolder));
  if (!Yield()) return Ok();  // the program is ending
  // Tested again: the yield may have run another selection that was cancelled.
  if (sourceFolder.empty()) return Ok();
  SetControlText(form::kSourceFolderBox, sourceFolder);
  for (const std::string_view name : form::ShownBySourceFolder()) SetControlVisible(name, true);
  if (ControlState* button = FindMutable(form::kEnabledBySourceFolder)) {
    button->enabled = true;
    EnableWindow(button->window, TRUE);
  }
  return Ok();
}

Status Form1::CmdSplit_Click() {
  if (!joinHandler_) return Ok();
  return joinHandler_(*this);
}

Status Form1::LblProductHelp_Click() {
  const std::string address = form::SiteAddress(form::kProductHelpPath);
  shell::ShellOpen(services_.opener, address);
  return Ok();
}

Status Form1::LblWebsite_Click() {
  const std::string address = form::SiteAddress(form::kWebsitePath);
  shell::ShellOpen(services_.opener, address);
  return Ok();
}

Status Form1::LblClose_Click() {
  // Unloading the window ends the program (WM_CLOSE); running handlers unwind first.
  if (hwnd_ != nullptr) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
  return Ok();
}

}  // namespace plenwick::win32app
