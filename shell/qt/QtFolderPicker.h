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
  // Every dialog opens at `startFolder` (the home folder when empty), with nothing selected and
  // no memory of earlier choices.
  explicit QtFolderPicker(QString startFolder = {});

  // `owner` is a QWidget* (or null). Returns the chosen folder without a trailing separator, "/"
  // for the root, "" when cancelled or when the choice names no folder.
  std::string Pick(WindowHandle owner, const std::string& title) override;

 private:
  QString startFolder_;
};

}  // namespace plenwick::shell
