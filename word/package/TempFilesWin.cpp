// The hidden files beside a save's target on Windows (TempFiles.h): the same names as on POSIX
// systems, with the hidden attribute set by the writer, since a leading dot hides nothing here.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>

#include "platform/win/WideText.h"
#include "word/package/TempFiles.h"

namespace plenwick::word::package {
namespace {

constexpr std::string_view kPrefix = ".~plw-";
constexpr std::string_view kSuffix = ".tmp";

// The computer as eight hex digits: enough to keep apart the machines sharing a network folder,
// short enough to keep hidden names short.
std::string HostTag() {
  static const std::string tag = [] {
    wchar_t host[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(host, &length)) length = 0;
    std::uint32_t hash = 2166136261u;
    for (DWORD i = 0; i < length; ++i) {
      hash ^= static_cast<std::uint32_t>(host[i]);
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

// The owning process of a hidden name of this computer, or 0 when the name is not one of ours.
DWORD OwnerOf(std::string_view name) {
  if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return 0;
  name.remove_prefix(kPrefix.size());
  name.remove_suffix(kSuffix.size());
  const std::string host = HostTag();
  if (!name.starts_with(host) || name.size() < host.size() + 1 || name[host.size()] != '-') {
    return 0;
  }
  name.remove_prefix(host.size() + 1);
  const std::size_t dash = name.find('-');
  if (dash == std::string_view::npos || name.size() < dash + 3) return 0;
  const std::string_view pid = name.substr(0, dash);
  const std::string_view serial = name.substr(dash + 1, name.size() - dash - 2);
  const char which = name.back();
  if (!AllDigits(pid) || !AllDigits(serial) || (which != 'a' && which != 'b')) return 0;
  std::uint64_t value = 0;
  for (char c : pid) value = value * 10 + static_cast<std::uint64_t>(c - '0');
  return value <= 0xffffffffu ? static_cast<DWORD>(value) : 0;
}

// A process that is gone. One we may not open is another user's, and running; a process id
// used again by an unrelated process keeps a stale file until that one ends, never the reverse.
bool Gone(DWORD pid) {
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
  const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

std::string FolderPart(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

}  // namespace

std::string NewTempOwner() {
  static std::atomic<unsigned> serial{0};
  return HostTag() + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial++);
}

std::string TempPath(const std::string& target, const std::string& owner, char which) {
  const std::string folder = FolderPart(target);
  std::string name = std::string(kPrefix) + owner + which + std::string(kSuffix);
  return folder.empty() ? name : folder + "\\" + name;
}

std::size_t RemoveStaleTemporaries(const std::string& folder) {
  const std::string pattern = (folder.empty() ? std::string(".") : folder) + "\\" +
                              std::string(kPrefix) + "*" + std::string(kSuffix);
  const std::optional<std::wstring> widePattern = platform::win::WidePath(pattern);
  if (!widePattern) return 0;
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW(widePattern->c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  std::size_t removed = 0;
  do {
    const std::optional<std::string> name = platform::win::Narrow(found.cFileName);
    if (!name || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    const DWORD owner = OwnerOf(*name);
    if (owner == 0 || !Gone(owner)) continue;
    const std::optional<std::wstring> path =
        platform::win::WidePath((folder.empty() ? std::string(".") : folder) + "\\" + *name);
    if (path && DeleteFileW(path->c_str())) ++removed;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return removed;
}

int RenameNoReplace(const std::string& from, const std::string& to) {
  const std::optional<std::wstring> wideFrom = platform::win::WidePath(from);
  const std::optional<std::wstring> wideTo = platform::win::WidePath(to);
  if (!wideFrom || !wideTo) return static_cast<int>(ERROR_INVALID_NAME);
  // Without MOVEFILE_REPLACE_EXISTING the move fails when anything is at `to`.
  if (MoveFileExW(wideFrom->c_str(), wideTo->c_str(), MOVEFILE_WRITE_THROUGH)) return 0;
  return static_cast<int>(GetLastError());
}

}  // namespace plenwick::word::package
