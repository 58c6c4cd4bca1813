// The click handlers of the window's buttons and link labels.
#include "app/win32/Win32Form1.h"
#include "form/OpenTarget.h"
#include "form/WebAddresses.h"
#include "shell/FolderPath.h"
#include "shell/modMain.h"

namespace plenwick::win32app {

Status Form1::CmdBrowse_Click() {
  return TakeSourceFolder(PickFolder(form::kBrowseTitle));
}

Status Form1::Form_FolderDropped(std::string folder) {
  // The next "Browse..." opens here, as after choosing this folder with it.
  services_.picker.Remember(form::kBrowseTitle, folder);
  return TakeSourceFolder(std::move(folder));
}

Status Form1::TakeSourceFolder(std::string picked) {
  // A cancel keeps the earlier choice in force, so the text box, the enabled "Join Documents" and
  // the folder the next run walks always agree.
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

void Form1::OpenWebPage(const std::string& address) {
  form::OpenOrSayWhy(services_.opener, services_.messages, "web page", address);
}

void Form1::OpenFolder(const std::string& folder) {
  form::OpenOrSayWhy(services_.opener, services_.messages, "folder", folder);
}

Status Form1::LblClose_Click() {
  // Unloading the window ends the program (WM_CLOSE); running handlers unwind first.
  if (hwnd_ != nullptr) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
  return Ok();
}

}  // namespace plenwick::win32app
