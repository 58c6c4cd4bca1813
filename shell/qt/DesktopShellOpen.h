// Opening a path or web address with the desktop's registered program (the default browser for
// web addresses), through QDesktopServices.
#pragma once

#include <QUrl>
#include <string>

#include "shell/ShellServices.h"

namespace plenwick::shell {

// The address the desktop is asked to open for a target: a web address as written, a path as a
// local file URL. Texts are UTF-8 throughout, so any name survives the trip.
QUrl TargetToUrl(const std::string& target);

class DesktopShellOpen final : public ShellOpenService {
 public:
  // Starts the registered program; fails with the reason when nothing could open the target.
  Status Open(const std::string& target) override;
};

}  // namespace plenwick::shell
