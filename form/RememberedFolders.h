// Which folder questions open where the user was the last time, and the setting that remembers
// each answer: the same for both windows, so the two keep their folders under the same names.
#pragma once

#include <map>
#include <string>

#include "form/Form1Layout.h"
#include "join/CmdSplitClick.h"

namespace plenwick::form {

// By dialog title: the source folder of "Browse..." and the destination of "Join Documents".
inline std::map<std::string, std::string> RememberedFolders() {
  return {{kBrowseTitle, "Folders/LastSource"},
          {std::string(join::kChooseDestinationTitle), "Folders/LastDestination"}};
}

}  // namespace plenwick::form
