#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>

#include "word/legacy/LegacyErrors.h"
#include "word/legacy/RunFolder.h"

namespace plenwick::word::legacy {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kRandomPart = 6;  // the XXXXXX of mkdtemp

// The process a folder name of kind names, or -1 when it is no such name.
pid_t OwnerOf(std::string_view name, const std::string& kind) {
  if (!name.starts_with(kind) || name.size() < kind.size() + 1 + 1 + 1 + kRandomPart ||
      name[kind.size()] != '-') {
    return -1;
  }
  name.remove_prefix(kind.size() + 1);
  const std::size_t dash = name.size() - kRandomPart - 1;
  if (name[dash] != '-' || dash == 0 || dash > 10) return -1;
  long long pid = 0;
  for (char c : name.substr(0, dash)) {
    if (c < '0' || c > '9') return -1;
    pid = pid * 10 + (c - '0');
  }
  return pid > 0 && pid <= 0x7fffffff ? static_cast<pid_t>(pid) : -1;
}

}  // namespace

std::size_t RemoveStaleRunFolders(const std::string& base, const std::string& kind) {
  std::size_t removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const pid_t owner = OwnerOf(name, kind);
    if (owner <= 0) continue;
    // Only a real folder of this user, never a link, and only when its run has ended (a process
    // that cannot be signalled is another user's, and running).
    struct stat st {};
    if (::lstat(it->path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
      continue;
    }
    if (::kill(owner, 0) == 0 || errno != ESRCH) continue;
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
  std::string pattern =
      (fs::path(base) / (kind + "-" + std::to_string(::getpid()) + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    return MakeError(codes::kConversionFailed, "no private temporary folder could be made");
  }
  return pattern;
}

}  // namespace plenwick::word::legacy
