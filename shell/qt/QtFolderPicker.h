// The folder picker: Qt's own (non-native) folder dialog, modal to its owner.
#pragma once

#include <QString>
#include <string>

#include "shell/ShellServices.h"

namespace plenwick::shell {

// The object name of the dialog while it is open, so it can be found among the top-level widgets.
inline constexpr const char* kFolderDialogName = "PickFolderDialog";

class QtFolderPicker final : public FolderPickerService {
 public:
  // A dialog opens at the folder Pick is given when it exists, else at `homeFolder` (the user's
  // home when empty), with nothing selected and no history of earlier dialogs.
  explicit QtFolderPicker(QString homeFolder = {});

  // `owner` is a QWidget* (or null). Returns the chosen folder without a trailing separator, "/"
  // for the root, "" when cancelled or when the choice names no folder.
  std::string Pick(WindowHandle owner, const std::string& title,
                   const std::string& startFolder) override;

 private:
  QString homeFolder_;
};

}  // namespace plenwick::shell
