#include "shell/RememberingPicker.h"

#include <utility>

namespace plenwick::shell {

RememberingPicker::RememberingPicker(FolderPickerService& picker, SettingsStore& settings,
                                     std::map<std::string, std::string> keys)
    : picker_(picker), settings_(settings), keys_(std::move(keys)) {}

std::string RememberingPicker::Pick(WindowHandle owner, const std::string& title,
                                    const std::string& startFolder) {
  const auto key = keys_.find(title);
  if (key == keys_.end() || !startFolder.empty()) return picker_.Pick(owner, title, startFolder);
  std::string chosen = picker_.Pick(owner, title, settings_.Read(key->second));
  if (!chosen.empty()) settings_.Write(key->second, chosen);
  return chosen;
}

void RememberingPicker::Remember(const std::string& title, const std::string& folder) {
  const auto key = keys_.find(title);
  if (key != keys_.end() && !folder.empty()) settings_.Write(key->second, folder);
}

}  // namespace plenwick::shell
