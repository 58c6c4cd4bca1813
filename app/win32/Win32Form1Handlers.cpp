// The click handlers of the window's buttons and link labels.
#include "app/win32/Win32Form1.h"
#include "form/WebAddresses.h"
#include "shell/FolderPath.h"
#include "shell/modMain.h"

namespace plenwick::win32app {

Status Form1::CmdBrowse_Click() {
  // A cancel keeps the earlier choice in force, so the text box, the enabled "Join Documents" and
  // the folder the next run walks always agree.
  std::string picked = PickFolder(form::kBrowseTitle);
  if (picked.empty()) return Ok();
  sourceFolder = shell::WithTrailingSeparator(std::move(picked));
  if (!Yield()) return Ok();  // the program is ending
  // A selection made during the yield has replaced ours; the window shows whichever is in force.
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
  OpenWebPage(form::SiteAddress(form::kProductHelpPath));
  return Ok();
}

Status Form1::LblWebsite_Click() {
  OpenWebPage(form::SiteAddress(form::kWebsitePath));
  return Ok();
}

namespace {

// Tells the person that `what` could not be opened; the address is in the box to copy by hand.
void ShowCouldNotOpen(shell::MessageBoxService& messages, const char* what, const Status& opened,
                      const std::string& address) {
  messages.Show("The " + std::string(what) + " could not be opened: " + opened.error().message +
                    ".\n\nIts address is:\n" + address,
                shell::kMsgWarning);
}

}  // namespace

void Form1::OpenWebPage(const std::string& address) {
  const Status opened = shell::ShellOpen(services_.opener, address);
  if (!opened) ShowCouldNotOpen(services_.messages, "web page", opened, address);
}

void Form1::OpenFolder(const std::string& folder) {
  const Status opened = shell::ShellOpen(services_.opener, folder);
  if (!opened) ShowCouldNotOpen(services_.messages, "folder", opened, folder);
}

Status Form1::LblClose_Click() {
  // Unloading the window ends the program (WM_CLOSE); running handlers unwind first.
  if (hwnd_ != nullptr) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
  return Ok();
}

}  // namespace plenwick::win32app
