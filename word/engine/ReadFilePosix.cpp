#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/LongPathPosix.h"
#include "word/WordApi.h"
#include "word/engine/ReadFile.h"

namespace plenwick::word::engine {

Result<std::string> ReadWholeFile(const std::string& path) {
  // Opened first and examined through the descriptor: a tree may nest deeper than a path the
  // system takes in one call, and what is examined is then what is read.
  const int fd = posix::OpenLongPath(path, O_RDONLY | O_NONBLOCK);
  if (fd < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) {
      return MakeError(wordc::kReadFailed, "cannot read the file: it does not exist");
    }
    return MakeError(wordc::kReadFailed,
                     std::string("cannot read the file: ") + std::strerror(error));
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    return MakeError(wordc::kReadFailed,
                     std::string("cannot read the file: ") + std::strerror(errno));
  }
  if (!S_ISREG(st.st_mode)) {
    return MakeError(wordc::kReadFailed, "cannot read the file: it is not a regular file");
  }
  const auto size = static_cast<std::uintmax_t>(st.st_size);
  if (size > kMaxInputBytes) return MakeError(wordc::kTooLarge, "too large: the file is over 2 GB");
  std::string bytes(static_cast<std::size_t>(size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      return MakeError(wordc::kReadFailed,
                       std::string("cannot read the file: ") + std::strerror(errno));
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  char extra = 0;
  if (done != bytes.size() || ::read(fd, &extra, 1) > 0) {
    return MakeError(wordc::kReadFailed, "cannot read the file: it changed while being read");
  }
  return bytes;
}

}  // namespace plenwick::word::engine
