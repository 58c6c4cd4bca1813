// Folder dialogs that open where the user was the last time they were asked the same question,
// also in an earlier run of the program.
#pragma once

#include <map>
#include <string>

#include "shell/ShellServices.h"

namespace plenwick::shell {

class RememberingPicker final : public FolderPickerService {
 public:
  // keys maps a dialog's title to the setting that remembers its last answer; other dialogs open
  // as `picker` opens them. Both services must outlive this one.
  RememberingPicker(FolderPickerService& picker, SettingsStore& settings,
                    std::map<std::string, std::string> keys);

  // A start folder given by the caller wins over the remembered one; a cancel remembers nothing.
  std::string Pick(WindowHandle owner, const std::string& title,
                   const std::string& startFolder) override;
  void Remember(const std::string& title, const std::string& folder) override;

 private:
  FolderPickerService& picker_;
  SettingsStore& settings_;
  std::map<std::string, std::string> keys_;
};

}  // namespace plenwick::shell
