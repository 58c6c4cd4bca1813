// The two shell procedures the window and the join run call: opening a target with its registered
// program, and asking the user for a folder. Both go through a replaceable service, so tests can
// see exactly what was opened and script what the user picks.
#pragma once

#include <exception>
#include <string>

#include "shell/ShellServices.h"

namespace plenwick::shell {

// Opens a path or web address with its registered program. An empty target opens nothing. A
// target nothing could open is reported, so the person can be told instead of left wondering.
inline Status ShellOpen(ShellOpenService& opener, const std::string& target) {
  if (target.empty()) return Ok();
  try {
    return opener.Open(target);
  } catch (const std::exception& failure) {
    return MakeError(errc::kGeneric, failure.what());
  }
}

// Asks the user for a folder in a modal dialog owned by `owner`. Returns the folder's path (no
// trailing separator except for the root "/"), or "" when the user cancelled or anything failed;
// a failure is indistinguishable from a cancel and shows nothing, so callers only test for "".
inline std::string PickFolder(FolderPickerService& picker, WindowHandle owner,
                              const std::string& title) {
  try {
    return picker.Pick(owner, title, {});
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace plenwick::shell
