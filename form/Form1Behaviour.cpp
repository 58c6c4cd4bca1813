#include "form/Form1Behaviour.h"

#include <exception>
#include <utility>

#include "form/Form1Layout.h"
#include "form/OpenTarget.h"
#include "form/WebAddresses.h"
#include "shell/FolderPath.h"
#include "shell/modMain.h"

namespace plenwick::form {

Form1Behaviour::Form1Behaviour(Form1Services services, std::function<void()> endAction)
    : services_(services), end_(std::move(endAction)) {}

Status Form1Behaviour::CmdBrowse_Click() {
  return TakeSourceFolder(PickFolder(kBrowseTitle));
}

Status Form1Behaviour::Form_FolderDropped(std::string folder) {
  // The next "Browse..." opens here, as after choosing this folder with it.
  services_.picker.Remember(kBrowseTitle, folder);
  return TakeSourceFolder(std::move(folder));
}

Status Form1Behaviour::TakeSourceFolder(std::string picked) {
  // A cancel keeps the earlier choice in force, so the text box, the enabled "Join Documents" and
  // the folder the next run walks always agree.
  if (picked.empty()) return Ok();
  sourceFolder = shell::WithTrailingSeparator(std::move(picked));
  if (!Yield()) return Ok();  // the program is ending
  // A selection made during the yield has replaced ours; the window shows whichever is in force.
  ShowSourceFolder(sourceFolder);
  return Ok();
}

Status Form1Behaviour::LblProductHelp_Click() {
  OpenWebPage(SiteAddress(kProductHelpPath));
  return Ok();
}

Status Form1Behaviour::LblWebsite_Click() {
  OpenWebPage(SiteAddress(kWebsitePath));
  return Ok();
}

void Form1Behaviour::OpenWebPage(const std::string& address) {
  OpenOrSayWhy(services_.opener, services_.messages, "web page", address);
}

void Form1Behaviour::OpenFolder(const std::string& folder) {
  OpenOrSayWhy(services_.opener, services_.messages, "folder", folder);
}

void Form1Behaviour::Dispatch(const std::function<Status()>& handler) {
  if (end_.ending()) return;
  const ProgramEnd::Running running(end_);
  Status status;
  try {
    status = handler();
  } catch (const std::exception& failure) {
    status = MakeError(errc::kGeneric, failure.what());
  }
  // A failure that reaches here was not handled by the handler: say so and carry on, like a
  // handler that ended early. Nothing is said once the program is ending.
  if (!status && !end_.ending()) {
    services_.messages.Show("Run-time error '" + std::to_string(status.error().code) + "':\n\n" +
                                status.error().message,
                            shell::kMsgOk);
  }
}

std::string Form1Behaviour::PickFolder(const std::string& title) {
  return shell::PickFolder(services_.picker, DialogOwner(), title);
}

bool Form1Behaviour::Yield() {
  if (end_.ending()) return false;
  const bool goOn = services_.yield.Yield();
  return goOn && !end_.ending();
}

void Form1Behaviour::ShowMessage(std::string_view text, int style) {
  services_.messages.Show(text, style);
}

void Form1Behaviour::ShowCompletion(std::string_view text, int style,
                                    const std::string& outputPath) {
  const bool open = services_.messages.ShowWithAction(
      text, "The joined document is saved as:\n" + outputPath, style, kOpenFolderCaption);
  if (open) OpenFolder(shell::ParentFolder(outputPath));
}

}  // namespace plenwick::form
