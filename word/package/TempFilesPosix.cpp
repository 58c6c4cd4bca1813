#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "word/package/TempFiles.h"

namespace plenwick::word::package {
namespace {

constexpr std::string_view kPrefix = ".~plw-";
constexpr std::string_view kSuffix = ".tmp";

// The host as eight hex digits: enough to keep apart the machines sharing a network folder, short
// enough to keep hidden names short.
std::string HostTag() {
  static const std::string tag = [] {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
    std::uint32_t hash = 2166136261u;
    for (const char* c = host; *c != '\0'; ++c) {
      hash ^= static_cast<unsigned char>(*c);
      hash *= 16777619u;
    }
    char out[9];
    std::snprintf(out, sizeof out, "%08x", hash);
    return std::string(out);
  }();
  return tag;
}

bool AllDigits(std::string_view s) {
  if (s.empty() || s.size() > 10) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The owning process of a hidden name of this host, or -1 when the name is not one of ours.
pid_t OwnerOf(std::string_view name) {
  if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return -1;
  name.remove_prefix(kPrefix.size());
  name.remove_suffix(kSuffix.size());
  const std::string host = HostTag();
  if (!name.starts_with(host) || name.size() < host.size() + 1 || name[host.size()] != '-') {
    return -1;
  }
  name.remove_prefix(host.size() + 1);
  const std::size_t dash = name.find('-');
  if (dash == std::string_view::npos || name.size() < dash + 3) return -1;
  const std::string_view pid = name.substr(0, dash);
  const std::string_view serial = name.substr(dash + 1, name.size() - dash - 2);
  const char which = name.back();
  if (!AllDigits(pid) || !AllDigits(serial) || (which != 'a' && which != 'b')) return -1;
  long long value = 0;
  for (char c : pid) value = value * 10 + (c - '0');
  return value > 0 && value <= 0x7fffffff ? static_cast<pid_t>(value) : -1;
}

// A process that is gone. One we may not signal is another user's, and running; a process id
// used again by an unrelated process keeps a stale file until that one ends, never the reverse.
bool Gone(pid_t pid) {
  return ::kill(pid, 0) != 0 && errno == ESRCH;
}

}  // namespace

std::string NewTempOwner() {
  static std::atomic<unsigned> serial{0};
  return HostTag() + "-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
}

std::string TempPath(const std::string& target, const std::string& owner, char which) {
  const std::filesystem::path folder = std::filesystem::path(target).parent_path();
  std::string name = std::string(kPrefix) + owner + which + std::string(kSuffix);
  return folder.empty() ? name : (folder / name).string();
}

std::size_t RemoveStaleTemporaries(const std::string& folder) {
  const int dirFd =
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return 0;
  DIR* dir = ::fdopendir(dirFd);
  if (dir == nullptr) {
    ::close(dirFd);
    return 0;
  }
  std::size_t removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const pid_t owner = OwnerOf(entry->d_name);
    if (owner > 0 && Gone(owner) && ::unlinkat(dirFd, entry->d_name, 0) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  int err = errno;
  if (err != EINVAL && err != ENOSYS && err != EOPNOTSUPP) return err;
  // A file system without it: a second link claims the name just as surely.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return 0;
  }
  err = errno;
  if (err != EPERM && err != EOPNOTSUPP && err != ENOSYS) return err;
  // Nor links (FAT and friends): claim the name with an empty file, then put the save over it.
  const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  ::close(fd);
  if (::rename(from.c_str(), to.c_str()) != 0) {
    err = errno;
    ::unlink(to.c_str());
    return err;
  }
  return 0;
}

}  // namespace plenwick::word::package
