// Opening a path or web address with its registered program through the Windows shell.
#pragma once

#include <string>

#include "shell/ShellServices.h"

namespace plenwick::shell {

class Win32ShellOpen final : public ShellOpenService {
 public:
  // The shell's "open" action, shown normally. A target nothing could open is reported with the
  // shell's reason.
  Status Open(const std::string& target) override;
};

}  // namespace plenwick::shell
