// Opening a path or web address with its registered program through the Windows shell.
#pragma once

#include <string>

#include "shell/ShellServices.h"

namespace plenwick::shell {

class Win32ShellOpen final : public ShellOpenService {
 public:
  // The shell's "open" action, shown normally; the result is the shell's business and not
  // reported (a target nothing can open opens nothing).
  void Open(const std::string& target) override;
};

}  // namespace plenwick::shell
