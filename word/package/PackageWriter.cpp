// Saves a package again and again to one path, atomically, without rewriting what earlier saves
// already wrote.
//
// The fixed entries only ever grow at their end, and they come first in every save, so the fixed
// region of an earlier save is a prefix of the next one. The writer keeps the previous save's
// file (its inode) under a hidden name beside the target as a "spare": save k opens the spare,
// which holds save k-2, goes on after the fixed entries it already has with the ones it lacks,
// then the changing entries and the central directory, writes it out to the disk, links the
// current target (save k-1) to the other hidden name and renames the spare over the target. The
// target therefore always names a complete save, and each save writes only what is new.
//
// An entry that grows at its end (the main document, styles, relationships: RawEntry::stablePrefix)
// would have to be written whole by every save. Such entries get a slot at the front of the file
// instead, with room to grow: the stable prefix, then empty deflate blocks up to the room kept for
// the entry's final blocks at the slot's end. A save writes only the slot's new bytes and its final
// blocks; when the entry outgrows its slot, the save is a full write with roomier slots.
//
// Whenever the spare cannot be trusted (missing, changed, linked elsewhere, a different target,
// a file system without hard links) or the slots do not fit, the save is a plain full write: a
// new hidden file, written out, renamed over the target.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "word/package/BackgroundTask.h"
#include "word/package/CursorBatch.h"
#include "word/package/DeflatePadding.h"
#include "word/package/FixedParts.h"
#include "word/package/PackageErrors.h"
#include "word/package/SaveSlots.h"
#include "word/package/TempFiles.h"
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

std::string Megabytes(std::uint64_t bytes) {
  const std::uint64_t tenths = (bytes * 10 + 1024 * 1024 - 1) / (1024 * 1024);
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

// A full disk, with what the save needed: a full write needs room for a whole second copy of the
// output, since the last save stays until the new one is complete; a save that goes on in the
// file of an earlier save needs room only for what it adds.
std::string FullDisk(bool incremental, std::uint64_t needed) {
  if (incremental) {
    return "the disk is full (this save adds to an earlier save of the output and needed about " +
           Megabytes(needed) + " more)";
  }
  return "the disk is full (this save needed about " + Megabytes(needed) +
         " free: it writes a whole new copy of the output, and the last save stays until the new "
         "one is complete)";
}

Error NameTaken(const std::string& path) {
  return MakeError(pkgc::kNameTaken, "cannot save " + path + ": the name is taken");
}

// Owns a file descriptor; writes everything or reports errno. Writes at the cursor are gathered
// into batches.
class File {
  // Where a batch goes.
  auto Sink() {
    return [this](std::uint64_t offset, std::string_view bytes) { return WriteAt(offset, bytes); };
  }

 public:
  explicit File(int fd) : fd_(fd) {}
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() {
    if (fd_ >= 0) ::close(fd_);
  }
  int fd() const { return fd_; }

  // At the cursor, which then moves on; on the disk once Drain has run.
  bool Write(std::string_view a, std::string_view b = {}) {
    return batch_.Put(a, Sink()) && batch_.Put(b, Sink());
  }
  // Writes what Write gathered.
  bool Drain() { return batch_.Drain(Sink()); }
  bool Seek(std::uint64_t offset) {
    if (!Drain()) return false;
    batch_.MoveTo(offset);
    return true;
  }
  std::uint64_t cursor() const { return batch_.cursor(); }
  void UseBuffer(std::string buffer) { batch_.UseBuffer(std::move(buffer)); }
  std::string TakeBuffer() { return batch_.TakeBuffer(); }

  bool WriteAt(std::uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
      offset += static_cast<std::uint64_t>(n);
    }
    return true;
  }

  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
  CursorBatch batch_;
};

}  // namespace

struct PackageWriter::Impl {
  FixedParts fixed;

  // Where the last save went and what it left there.
  std::string target;
  std::optional<FileId> targetId;
  Layout targetLayout;

  // The file of an earlier save kept under a hidden name, for the next save to write into.
  struct Spare {
    std::string path;
    FileId id;
    Layout layout;
  };
  std::optional<Spare> spare;

  std::string token = NewTempOwner();
  bool linksWork = true;
  // Power-cut safety. A save's bytes are flushed to the disk before its rename, and the rename
  // is committed to the disk (fsync of the folder) in the background, while the caller prepares
  // the next save; the next save waits for that commit before it writes over the spare, which
  // until then may still be what the disk names as the target. The disk therefore never names
  // a file whose bytes it does not hold.
  bool powerSafe = true;
  int dirFd = -1;            // the target's folder
  BackgroundTask committer;  // commits the last rename
  bool lastRenameCommitted = false;
  bool lastSaveFlushed = true;
  SaveStats stats;
  int writeErrno = 0;  // the error number of the last failed write or flush

  std::string batch;  // the memory of a save's batches, kept for the next save

  // Where the output goes, for the file of the entries set aside; "" before the first save.
  std::string AsideFolder() const {
    if (target.empty()) return {};
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    return folder.empty() ? "." : folder.string();
  }

  std::string Hidden(const std::string& path, char which) const {
    return TempPath(path, token, which);
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
    return now && *now == spare->id && links == 1 &&
           spare->layout.fixedCount <= fixed.entries.size();
  }

  void AwaitCommit() { committer.Wait(); }

  void CloseFolder() {
    AwaitCommit();
    if (dirFd >= 0) ::close(dirFd);
    dirFd = -1;
    lastRenameCommitted = false;
  }

  // Commits the last rename (and everything before it) to the disk.
  bool CommitFolder() {
    if (dirFd < 0 && !target.empty()) {
      const std::filesystem::path folder = std::filesystem::path(target).parent_path();
      dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    return dirFd >= 0 && ::fsync(dirFd) == 0;
  }

  // Makes the last save durable: its bytes and its name.
  Status Flush() {
    AwaitCommit();
    if (lastSaveFlushed || target.empty() || !targetId) return Ok();
    const int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return SaveError(target, Reason(errno));
    File file(fd);
    struct stat st {};
    // Only the file this writer saved; someone else's is theirs to flush.
    if (::fstat(fd, &st) == 0 && IdOf(st) == *targetId) {
      if (::fdatasync(fd) != 0 || !CommitFolder()) return SaveError(target, Reason(errno));
    }
    lastSaveFlushed = true;
    return Ok();
  }

  // Flushes a save's bytes to the disk before its rename. (Writing them out without the flush,
  // sync_file_range, is cheaper, but only a journal commit would then order them before the
  // rename, and not every file system keeps a journal; this one's may not.)
  // A failed write or flush, with its error number kept for the message a full disk gets.
  Error WriteFailed(const std::string& path) {
    writeErrno = errno;
    return SaveError(path, Reason(writeErrno));
  }

  Status WriteOut(File& out, const std::string& path) {
    if (powerSafe && ::fdatasync(out.fd()) != 0) return WriteFailed(path);
    return Ok();
  }

  Status Save(const std::string& path, const std::vector<RawEntry>& changing, SaveMode mode);
};

Status PackageWriter::Impl::Save(const std::string& path, const std::vector<RawEntry>& changing,
                                 SaveMode mode) {
  if (path.empty()) return SaveError(path, "no file name");
  AwaitCommit();
  if (path != target) {
    DropSpares();
    CloseFolder();
    target = path;
    targetId.reset();
    // Hidden files of runs that were killed or lost their power are left nowhere else.
    RemoveStaleTemporaries(std::filesystem::path(path).parent_path().string());
  }
  // A new file must not replace anything, but may replace this writer's own last save.
  const bool claim = mode == SaveMode::kCreateNew && !(targetId && Identify(path) == targetId);
  {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
      if (claim) return NameTaken(path);
      if (S_ISDIR(st.st_mode)) return SaveError(path, Reason(EISDIR));
    } else if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      return SaveError(path, Reason(EISDIR));
    }
  }
  // No name may repeat, and every entry needs its data.
  Result<SortedChanges> sorted = SortChanges(changing, fixed, path);
  if (!sorted) return sorted.error();
  const std::vector<const RawEntry*>& growing = sorted->growing;
  const std::vector<const RawEntry*>& plain = sorted->plain;

  // Into the spare when it can be trusted and its slots still fit, else a full write.
  Layout layout;
  std::optional<std::vector<Slot>> grown;
  if (SpareUsable()) {
    // The spare was the target one save ago: write over it only once the disk no longer
    // names it so.
    if (powerSafe && !lastRenameCommitted) lastRenameCommitted = CommitFolder();
    if (!powerSafe || lastRenameCommitted) grown = GrownSlots(spare->layout.slots, growing);
  }
  int spareFd = -1;
  if (grown) {
    spareFd = ::open(spare->path.c_str(), O_WRONLY | O_CLOEXEC);
    // Someone who opened the target two saves ago (a viewer reading its parts as it needs
    // them) may still be reading this file: then it is theirs to keep as it is. A write lease
    // is granted only to a file nobody else has open; it is dropped at once, since only this
    // writer knows the file's hidden name.
    if (spareFd >= 0 && ::fcntl(spareFd, F_SETLEASE, F_WRLCK) == 0) {
      ::fcntl(spareFd, F_SETLEASE, F_UNLCK);
    } else {
      if (spareFd >= 0) ::close(spareFd);
      spareFd = -1;
      grown.reset();
    }
  }
  File spareHolder(spareFd);  // closes it on every way out until the write takes it
  const bool incremental = grown.has_value();
  if (incremental) {
    layout.slots = std::move(*grown);
  } else {
    layout.slots = FreshSlots(growing, fixed.offsets.back());
  }
  layout.fixedCount = fixed.entries.size();

  // Everything must fit without ZIP64.
  std::uint64_t fileSize = 0;  // the size of the file this save leaves
  writeErrno = 0;
  {
    const Result<std::uint64_t> directoryAt = CheckSaveFits(layout, *sorted, fixed);
    if (!directoryAt) return directoryAt.error();
    // The central directory: one header for each entry, and the end record.
    fileSize = *directoryAt + 22;
    for (const Slot& slot : layout.slots) fileSize += 46 + slot.name.size();
    for (const RawEntry& e : fixed.entries) fileSize += 46 + e.name.size();
    for (const RawEntry* e : plain) fileSize += 46 + e->name.size();
  }

  std::string written;
  int fd = -1;
  if (incremental) {
    written = spare->path;
    fd = spareHolder.Release();
  } else {
    if (spare) ::unlink(spare->path.c_str());
    spare.reset();
    written = Hidden(path, 'a');
    // A new file, never one that is there already (a link placed there would be followed).
    fd = ::open(written.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST && ::unlink(written.c_str()) == 0) {
      fd = ::open(written.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    }
  }
  if (fd < 0) return SaveError(path, Reason(errno));
  {
    File out(fd);
    out.UseBuffer(std::move(batch));
    FileSaveOutput<File> output(out, [&] { return WriteFailed(path); });
    Status s = WriteSlots(output, layout.slots, growing, incremental ? &spare->layout : nullptr,
                          stats.bytesWritten);
    if (s) {
      // Go on after the fixed entries the file already holds. What lies beyond is written
      // over, and cut only when the new save is shorter: cutting a file waits for the disk
      // when its earlier data is still being written out.
      const std::size_t fromFixed = incremental ? spare->layout.fixedCount : 0;
      const FixedEntries fixedEntries = fixed.ForWriting();
      s = out.Seek(layout.FixedBase() + fixed.offsets[fromFixed])
              ? WriteRest(output, layout, fixedEntries, fromFixed, changing, stats.bytesWritten)
              : WriteFailed(path);
      // What the batches still hold goes out before the file is cut or flushed.
      if (s && !out.Drain()) s = WriteFailed(path);
      if (s && incremental && static_cast<std::uint64_t>(spare->id.size) > out.cursor() &&
          ::ftruncate(fd, static_cast<off_t>(out.cursor())) != 0) {
        s = WriteFailed(path);
      }
    }
    batch = out.TakeBuffer();
    if (s) s = WriteOut(out, path);
    if (s && !out.Close()) s = WriteFailed(path);
    if (!s && (writeErrno == ENOSPC || writeErrno == EDQUOT)) {
      const auto had = incremental ? static_cast<std::uint64_t>(spare->id.size) : 0;
      s = SaveError(path, FullDisk(incremental, fileSize > had ? fileSize - had : 0));
    }
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
    // The name is normally free; a leftover (a crash between two saves) is ours to replace.
    bool linked = ::link(path.c_str(), keep.c_str()) == 0;
    if (!linked && errno == EEXIST) {
      ::unlink(keep.c_str());
      linked = ::link(path.c_str(), keep.c_str()) == 0;
    }
    if (linked) {
      next = Spare{keep, *targetId, std::move(targetLayout)};
    } else if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS || errno == EXDEV) {
      linksWork = false;  // FAT and friends: every save is a full write
    }
  }
  const int renamed = claim ? RenameNoReplace(written, path)
                            : (::rename(written.c_str(), path.c_str()) == 0 ? 0 : errno);
  if (renamed != 0) {
    ::unlink(written.c_str());
    if (next) ::unlink(keep.c_str());
    spare.reset();
    targetId.reset();
    return claim && renamed == EEXIST ? NameTaken(path) : SaveError(path, Reason(renamed));
  }
  spare = std::move(next);
  targetId = writtenId;
  targetLayout = std::move(layout);
  stats.saves++;
  if (incremental) stats.incrementalSaves++;
  lastSaveFlushed = false;
  lastRenameCommitted = false;
  if (powerSafe) committer.Run([this] { lastRenameCommitted = CommitFolder(); });
  fixed.aside.Saved(fixed.entries, targetLayout.fixedCount, AsideFolder());
  return Ok();
}

PackageWriter::PackageWriter() : impl_(std::make_unique<Impl>()) {}

PackageWriter::~PackageWriter() {
  (void)impl_->Flush();  // a failure here has no one to go to; the saves themselves succeeded
  impl_->DropSpares();
  impl_->CloseFolder();
}

bool PackageWriter::AddFixed(RawEntry entry) {
  return impl_->fixed.Add(std::move(entry), impl_->AsideFolder());
}

bool PackageWriter::HasFixed(std::string_view name) const {
  return impl_->fixed.Has(name);
}

Status PackageWriter::Save(const std::string& path, const std::vector<RawEntry>& changing,
                           SaveMode mode) {
  return impl_->Save(path, changing, mode);
}

void PackageWriter::DropSpares() {
  impl_->AwaitCommit();
  impl_->DropSpares();
}

void PackageWriter::SetPowerSafe(bool powerSafe) {
  impl_->AwaitCommit();
  impl_->powerSafe = powerSafe;
}

Status PackageWriter::Flush() {
  return impl_->Flush();
}

PackageWriter::SaveStats PackageWriter::Stats() const {
  return impl_->stats;
}

}  // namespace plenwick::word::package
