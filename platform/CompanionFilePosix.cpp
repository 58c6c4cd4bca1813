#include "platform/CompanionFile.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace plenwick::platform {

std::string FindCompanion(const char* environmentVariable,
                          std::initializer_list<std::string_view> besideProgram,
                          const std::string& built) {
  if (const char* p = std::getenv(environmentVariable); p != nullptr && *p != 0) return p;
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    for (std::string_view relative : besideProgram) {
      const std::string candidate = (self.parent_path() / relative).string();
      if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
    }
  }
  return std::filesystem::is_regular_file(built, ec) ? built : std::string();
}

}  // namespace plenwick::platform
