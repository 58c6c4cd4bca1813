// The settings store on Windows: texts under HKEY_CURRENT_USER\Software\Tarvik\Plenwick, one value
// per key ("Folders/LastSource" is the value LastSource of the subkey Folders).
#pragma once

#include <string>
#include <string_view>

#include "shell/ShellServices.h"

namespace plenwick::shell {

class Win32RegistryStore final : public SettingsStore {
 public:
  std::string Read(std::string_view key) override;
  // A value that cannot be written is not remembered; nothing else depends on it.
  void Write(std::string_view key, const std::string& value) override;
};

}  // namespace plenwick::shell
