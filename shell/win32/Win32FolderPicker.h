// The shell's folder-browse dialog, in its Unicode form, so folder names in any script come back
// as they are (an ANSI dialog would hand back the code page's substitutes instead).
#pragma once

#include <string>

#include "shell/ShellServices.h"

namespace plenwick::shell {

class Win32FolderPicker final : public FolderPickerService {
 public:
  // `owner` is the HWND the dialog is modal to. The dialog opens with startFolder chosen when
  // that is an existing folder, else the user's own folder. Returns the folder without a trailing
  // backslash (a drive's root keeps its "C:\"), or "" on cancel, for an item with no file-system
  // path, or on any failure. Needs COM initialised on this thread (apartment-threaded).
  std::string Pick(WindowHandle owner, const std::string& title,
                   const std::string& startFolder) override;
};

}  // namespace plenwick::shell
