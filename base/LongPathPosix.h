// Opening a path of any length on POSIX systems. The system takes at most PATH_MAX bytes in one
// call, but a tree may nest deeper than that; such a path is opened one folder at a time,
// each step relative to the folder opened before, so no length limits what can be reached.
#pragma once

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

namespace plenwick::posix {

// open(path, flags), for any length of path. Returns a descriptor, or -1 with errno set.
inline int OpenLongPath(const std::string& path, int flags, mode_t mode = 0) {
  if (path.size() < PATH_MAX) return ::open(path.c_str(), flags | O_CLOEXEC, mode);
  std::string_view rest = path;
  int folder = ::open(rest.front() == '/' ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return -1;
  while (!rest.empty()) {
    const std::size_t start = rest.find_first_not_of('/');
    if (start == std::string_view::npos) break;  // only separators left: the folder itself
    rest.remove_prefix(start);
    const std::size_t end = rest.find('/');
    const std::string name(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    const bool last = rest.find_first_not_of('/') == std::string_view::npos;
    const int next = last ? ::openat(folder, name.c_str(), flags | O_CLOEXEC, mode)
                          : ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int error = errno;
    ::close(folder);
    if (next < 0) {
      errno = error;
      return -1;
    }
    folder = next;
    if (last) return folder;
  }
  // The path named a folder (it ended in separators): reopen it with the flags asked for.
  const int reopened = ::openat(folder, ".", flags | O_CLOEXEC, mode);
  const int error = errno;
  ::close(folder);
  errno = error;
  return reopened;
}

}  // namespace plenwick::posix
