#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "word/package/FixedAside.h"

namespace plenwick::word::package {
namespace {

class PosixAsideFile final : public AsideFile {
 public:
  explicit PosixAsideFile(int fd) : fd_(fd) {}
  ~PosixAsideFile() override { ::close(fd_); }
  PosixAsideFile(const PosixAsideFile&) = delete;
  PosixAsideFile& operator=(const PosixAsideFile&) = delete;

  bool WriteAt(std::uint64_t offset, std::string_view bytes) override {
    while (!bytes.empty()) {
      const ssize_t n = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
      offset += static_cast<std::uint64_t>(n);
    }
    return true;
  }

  bool ReadAt(std::uint64_t offset, std::string& bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n =
          ::pread(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<AsideFile> AsideFile::Create(const std::string& folder) {
  std::error_code ec;
  std::filesystem::path where = folder;
  if (folder.empty()) where = std::filesystem::temp_directory_path(ec);
  if (ec || where.empty()) where = ".";
  // Without a name: nothing is left behind however the program ends.
  const int fd = ::open(where.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixAsideFile>(fd);
}

}  // namespace plenwick::word::package
