#include "form/OpenTarget.h"

#include "shell/modMain.h"

namespace plenwick::form {

void OpenOrSayWhy(shell::ShellOpenService& opener, shell::MessageBoxService& messages,
                  const char* what, const std::string& address) {
  const Status opened = shell::ShellOpen(opener, address);
  if (opened) return;
  messages.Show("The " + std::string(what) + " could not be opened: " + opened.error().message +
                    ".\n\nIts address is:\n" + address,
                shell::kMsgWarning);
}

}  // namespace plenwick::form
