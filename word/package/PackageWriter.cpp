// Saves a package again and again to one path, atomically, without rewriting what earlier saves
// already wrote.
//
// The fixed entries only ever grow at their end, and they come first in every save, so the fixed
// region of an earlier save is a prefix of the next one. The writer keeps the previous save's
// file (its inode) under a hidden name beside the target as a "spare": save k opens the spare,
// which holds save k-2, cuts it after the fixed entries it already has, appends the ones it
// lacks, then the changing entries and the central directory, flushes it, links the current
// target (save k-1) to the other hidden name and renames the spare over the target. The target
// therefore always names a complete save, and each save writes only what is new.
//
// Whenever the spare cannot be trusted (missing, changed, linked elsewhere, a different target,
// a file system without hard links) the save is a plain full write: a new hidden file, flushed,
// renamed over the target.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <unordered_set>

#include "word/package/PackageErrors.h"
#include "word/package/PartNames.h"
#include "word/package/Zip.h"
#include "word/package/ZipLayout.h"

namespace plenwick::word::package {
namespace {

struct FileId {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  std::int64_t mtimeNs = 0;

  friend bool operator==(const FileId&, const FileId&) = default;
};

FileId IdOf(const struct stat& st) {
  return FileId{st.st_dev, st.st_ino, st.st_size,
                static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

std::optional<FileId> Identify(const std::string& path, nlink_t* links = nullptr) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  if (links) *links = st.st_nlink;
  return IdOf(st);
}

std::string Reason(int err) {
  switch (err) {
    case ENOENT:
      return "the folder does not exist";
    case ENOSPC:
    case EDQUOT:
      return "the disk is full";
    case EACCES:
    case EPERM:
      return "permission denied";
    case EROFS:
      return "the disk is read-only";
    case EISDIR:
      return "a folder has that name";
    case ENOTDIR:
      return "part of the path is not a folder";
    case ENAMETOOLONG:
      return "the name is too long";
    default:
      return std::strerror(err);
  }
}

Error SaveError(const std::string& path, const std::string& why) {
  return MakeError(pkgc::kWriteFailed, "cannot save " + path + ": " + why);
}

// Owns a file descriptor; writes everything or reports errno.
class File {
 public:
  explicit File(int fd) : fd_(fd) {}
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() {
    if (fd_ >= 0) ::close(fd_);
  }
  int fd() const { return fd_; }

  // Writes a header and a body with one call where the kernel allows.
  bool Write(std::string_view a, std::string_view b = {}) {
    iovec io[2] = {{const_cast<char*>(a.data()), a.size()},
                   {const_cast<char*>(b.data()), b.size()}};
    int first = 0;
    while (first < 2) {
      const ssize_t n = ::writev(fd_, io + first, 2 - first);
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      auto left = static_cast<std::size_t>(n);
      while (first < 2 && left >= io[first].iov_len) {
        left -= io[first].iov_len;
        ++first;
      }
      if (first < 2) {
        io[first].iov_base = static_cast<char*>(io[first].iov_base) + left;
        io[first].iov_len -= left;
      }
    }
    return true;
  }

  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::string MakeToken() {
  static std::atomic<unsigned> serial{0};
  return std::to_string(::getpid()) + "-" + std::to_string(serial++);
}

}  // namespace

struct PackageWriter::Impl {
  // Fixed entries in the order they are written, with the offset of each local header;
  // offsets.back() is where the fixed region ends.
  std::vector<RawEntry> fixed;
  std::vector<std::uint64_t> offsets{0};
  std::string fixedDirectory;  // their central headers, built once
  std::unordered_set<std::string> fixedNames;

  // Where the last save went and what it left there.
  std::string target;
  std::optional<FileId> targetId;
  std::size_t targetFixedCount = 0;

  // The file of an earlier save kept under a hidden name, for the next save to write into.
  struct Spare {
    std::string path;
    FileId id;
    std::size_t fixedCount = 0;
  };
  std::optional<Spare> spare;

  std::string token = MakeToken();
  bool linksWork = true;
  // Flushing to the disk costs a few milliseconds a save (the disk's own cache flush); saving
  // after every appended document, that would cost more than all the writing. A save is flushed
  // when the last flushed one is older than syncInterval, and Flush (or the destructor) flushes
  // the last one. See Zip.h for what that means after a power cut.
  std::chrono::milliseconds syncInterval{1000};
  std::chrono::steady_clock::time_point lastSync{};
  bool lastSaveSynced = true;
  SaveStats stats;

  std::string Hidden(const std::string& path, char which) const {
    const std::filesystem::path p(path);
    return (p.parent_path() /
            (".~" + p.filename().string() + "." + token + "-" + which + ".plenwick-tmp"))
        .string();
  }

  void DropSpares() {
    if (!target.empty()) {
      ::unlink(Hidden(target, 'a').c_str());
      ::unlink(Hidden(target, 'b').c_str());
    }
    spare.reset();
  }

  bool SpareUsable() const {
    if (!spare || !linksWork) return false;
    nlink_t links = 0;
    const std::optional<FileId> now = Identify(spare->path, &links);
    // Another link to the spare's inode would be someone's copy of an old save: never write
    // into it.
    return now && *now == spare->id && links == 1 && spare->fixedCount <= fixed.size();
  }

  Status Flush() {
    if (lastSaveSynced || target.empty() || !targetId) return Ok();
    const int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return SaveError(target, Reason(errno));
    File file(fd);
    struct stat st {};
    // Only the file this writer saved; someone else's is theirs to flush.
    if (::fstat(fd, &st) == 0 && IdOf(st) == *targetId && ::fdatasync(fd) != 0) {
      return SaveError(target, Reason(errno));
    }
    lastSaveSynced = true;
    lastSync = std::chrono::steady_clock::now();
    return Ok();
  }

  Status WriteEntries(File& out, const std::string& path, std::size_t fromFixed,
                      const std::vector<RawEntry>& changing);
  Status Save(const std::string& path, const std::vector<RawEntry>& changing);
};

Status PackageWriter::Impl::WriteEntries(File& out, const std::string& path, std::size_t fromFixed,
                                         const std::vector<RawEntry>& changing) {
  auto failed = [&] { return SaveError(path, Reason(errno)); };
  std::string header;
  for (std::size_t i = fromFixed; i < fixed.size(); ++i) {
    header.clear();
    AppendLocalHeader(header, fixed[i]);
    if (!out.Write(header, *fixed[i].data)) return failed();
    stats.bytesWritten += header.size() + fixed[i].data->size();
  }
  // The changing entries and the directory go out in one buffer: they are small next to the
  // fixed region, except the main document, which is written straight from its own buffer.
  std::uint64_t offset = offsets.back();
  std::string directory = fixedDirectory;
  for (const RawEntry& e : changing) {
    header.clear();
    AppendLocalHeader(header, e);
    if (!out.Write(header, *e.data)) return failed();
    stats.bytesWritten += header.size() + e.data->size();
    AppendCentralHeader(directory, e, offset);
    offset += header.size() + e.data->size();
  }
  if (Status s =
          AppendEndRecord(directory, fixed.size() + changing.size(), directory.size(), offset);
      !s) {
    return s;
  }
  if (!out.Write(directory)) return failed();
  stats.bytesWritten += directory.size();
  const auto now = std::chrono::steady_clock::now();
  const bool due = syncInterval != std::chrono::milliseconds::max() &&
                   (syncInterval.count() <= 0 || now - lastSync >= syncInterval);
  if (due) {
    if (::fdatasync(out.fd()) != 0) return failed();
    lastSync = std::chrono::steady_clock::now();
  }
  lastSaveSynced = due;
  return Ok();
}

Status PackageWriter::Impl::Save(const std::string& path, const std::vector<RawEntry>& changing) {
  if (path.empty()) return SaveError(path, "no file name");
  if (path != target) {
    DropSpares();
    target = path;
    targetId.reset();
  }
  {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      return SaveError(path, Reason(EISDIR));
    }
  }
  // Every entry must fit without ZIP64, and no name may repeat.
  std::unordered_set<std::string> names;
  std::uint64_t offset = offsets.back();
  for (const RawEntry& e : changing) {
    if (fixedNames.contains(FoldCase(e.name)) || !names.insert(FoldCase(e.name)).second) {
      return MakeError(pkgc::kInvalidState,
                       "cannot save " + path + ": part " + e.name + " given twice");
    }
    if (!e.data || e.data->size() != e.compressedSize) {
      return MakeError(pkgc::kInvalidState,
                       "cannot save " + path + ": part " + e.name + " has no data");
    }
    if (Status s = CheckFits(e, offset); !s) return s;
    offset += LocalHeaderSize(e) + e.compressedSize;
  }

  const bool incremental = SpareUsable();
  std::string written;
  std::size_t fromFixed = 0;
  int fd = -1;
  if (incremental) {
    written = spare->path;
    fromFixed = spare->fixedCount;
    fd = ::open(written.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0 && (::ftruncate(fd, static_cast<off_t>(offsets[fromFixed])) != 0 ||
                    ::lseek(fd, 0, SEEK_END) < 0)) {
      const int err = errno;
      ::close(fd);
      errno = err;
      fd = -1;
    }
  } else {
    if (spare) ::unlink(spare->path.c_str());
    spare.reset();
    written = Hidden(path, 'a');
    ::unlink(written.c_str());
    fd = ::open(written.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  }
  if (fd < 0) {
    const int err = errno;
    if (incremental) {
      ::unlink(written.c_str());
      spare.reset();
    }
    return SaveError(path, Reason(err));
  }
  {
    File out(fd);
    Status s = WriteEntries(out, path, fromFixed, changing);
    if (s && !out.Close()) s = SaveError(path, Reason(errno));
    if (!s) {
      ::unlink(written.c_str());
      spare.reset();
      return s;
    }
  }
  const std::optional<FileId> writtenId = Identify(written);

  // Keep the current target's inode as the next spare, but only when it is still the file this
  // writer saved: a file someone else put there is theirs.
  const std::string keep = Hidden(path, written == Hidden(path, 'a') ? 'b' : 'a');
  std::optional<Spare> next;
  if (linksWork && targetId && Identify(path) == targetId) {
    ::unlink(keep.c_str());
    if (::link(path.c_str(), keep.c_str()) == 0) {
      next = Spare{keep, *targetId, targetFixedCount};
    } else if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS || errno == EXDEV) {
      linksWork = false;  // FAT and friends: every save is a full write
    }
  }
  if (::rename(written.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(written.c_str());
    if (next) ::unlink(keep.c_str());
    spare.reset();
    return SaveError(path, Reason(err));
  }
  spare = std::move(next);
  targetId = writtenId;
  targetFixedCount = fixed.size();
  stats.saves++;
  if (incremental) stats.incrementalSaves++;
  return Ok();
}

PackageWriter::PackageWriter() : impl_(std::make_unique<Impl>()) {}

PackageWriter::~PackageWriter() {
  impl_->DropSpares();
}

bool PackageWriter::AddFixed(RawEntry entry) {
  if (!entry.data || entry.data->size() != entry.compressedSize) return false;
  if (!impl_->fixedNames.insert(FoldCase(entry.name)).second) return false;
  const std::uint64_t offset = impl_->offsets.back();
  AppendCentralHeader(impl_->fixedDirectory, entry, offset);
  impl_->offsets.push_back(offset + LocalHeaderSize(entry) + entry.compressedSize);
  impl_->fixed.push_back(std::move(entry));
  return true;
}

bool PackageWriter::HasFixed(std::string_view name) const {
  return impl_->fixedNames.contains(FoldCase(name));
}

Status PackageWriter::Save(const std::string& path, const std::vector<RawEntry>& changing) {
  if (!impl_->fixed.empty()) {
    if (Status s = CheckFits(impl_->fixed.back(), impl_->offsets[impl_->offsets.size() - 2]); !s) {
      return s;
    }
  }
  return impl_->Save(path, changing);
}

void PackageWriter::DropSpares() {
  impl_->DropSpares();
}

void PackageWriter::SetSyncInterval(std::chrono::milliseconds interval) {
  impl_->syncInterval = interval;
}

Status PackageWriter::Flush() {
  return impl_->Flush();
}

PackageWriter::SaveStats PackageWriter::Stats() const {
  return impl_->stats;
}

}  // namespace plenwick::word::package
