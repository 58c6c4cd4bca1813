// The settings store over QSettings: the organisation's and application's names that the program
// sets at start-up decide where (~/.config/Tarvik/Plenwick.conf on Linux).
#pragma once

#include <string>
#include <string_view>

#include "shell/ShellServices.h"

namespace plenwick::shell {

class QtSettingsStore final : public SettingsStore {
 public:
  std::string Read(std::string_view key) override;
  void Write(std::string_view key, const std::string& value) override;
};

}  // namespace plenwick::shell
