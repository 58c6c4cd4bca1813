// The run's private folders on Windows: the Windows counterpart of RunFolderPosix.cpp. The
// temporary folder Windows gives a program is the user's own, so the folders need no rights of
// their own; a process that ended is one OpenProcess no longer finds.
#include <windows.h>

#include <filesystem>
#include <mutex>
#include <random>
#include <set>
#include <string_view>
#include <system_error>

#include "platform/Utf8Path.h"
#include "word/legacy/LegacyErrors.h"
#include "word/legacy/RunFolder.h"

namespace plenwick::word::legacy {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kRandomPart = 6;

// The process a folder name of kind names, or 0 when it is no such name.
DWORD OwnerOf(std::string_view name, const std::string& kind) {
  if (!name.starts_with(kind) || name.size() < kind.size() + 1 + 1 + 1 + kRandomPart ||
      name[kind.size()] != '-') {
    return 0;
  }
  name.remove_prefix(kind.size() + 1);
  const std::size_t dash = name.size() - kRandomPart - 1;
  if (name[dash] != '-' || dash == 0 || dash > 10) return 0;
  unsigned long long pid = 0;
  for (char c : name.substr(0, dash)) {
    if (c < '0' || c > '9') return 0;
    pid = pid * 10 + static_cast<unsigned>(c - '0');
  }
  return pid <= 0xffffffffULL ? static_cast<DWORD>(pid) : 0;
}

bool StillRunning(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;  // someone else's
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

}  // namespace

std::size_t RemoveStaleRunFolders(const std::string& base, const std::string& kind) {
  std::size_t removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(platform::PathFromUtf8(base), ec), end; !ec && it != end;
       it.increment(ec)) {
    const DWORD owner = OwnerOf(platform::Utf8FromPath(it->path().filename()), kind);
    if (owner == 0) continue;
    // Only a real folder, never a link, and only when its run has ended.
    std::error_code status;
    if (!fs::is_directory(fs::symlink_status(it->path(), status)) || StillRunning(owner)) continue;
    std::error_code ignored;
    if (fs::remove_all(it->path(), ignored) != static_cast<std::uintmax_t>(-1)) ++removed;
  }
  return removed;
}

Result<std::string> MakeRunFolder(const std::string& base, const std::string& kind) {
  static std::mutex mutex;
  static std::set<std::string> swept;
  {
    std::lock_guard lock(mutex);
    if (swept.insert(kind + '\n' + base).second) RemoveStaleRunFolders(base, kind);
  }
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::mt19937 pick(seed());
  std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = kind + "-" + std::to_string(GetCurrentProcessId()) + "-";
    for (std::size_t i = 0; i < kRandomPart; ++i) name.push_back(kLetters[letter(pick)]);
    const fs::path folder = platform::PathFromUtf8(base) / platform::PathFromUtf8(name);
    std::error_code ec;
    // create_directory reports false, not an error, when the name is taken: try another.
    if (fs::create_directory(folder, ec)) return platform::Utf8FromPath(folder);
    if (ec) break;
  }
  return MakeError(codes::kConversionFailed, "no private temporary folder could be made");
}

}  // namespace plenwick::word::legacy
