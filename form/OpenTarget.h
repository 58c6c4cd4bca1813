// What both windows do with a link or the output's folder: open it with the desktop's program,
// and when nothing can, say so with the address, so the person can copy it and go on by hand.
#pragma once

#include <string>

#include "shell/ShellServices.h"

namespace plenwick::form {

// `what` names the target in the message ("web page", "folder").
void OpenOrSayWhy(shell::ShellOpenService& opener, shell::MessageBoxService& messages,
                  const char* what, const std::string& address);

}  // namespace plenwick::form
