// Saves a package again and again to one path, atomically, without rewriting what earlier saves
// already wrote: the Windows counterpart of PackageWriter.cpp, behind the same class (Zip.h),
// with the same layout (SaveSlots.h) and the same scheme. Read that file's opening comment first.
//
// The previous save's file is kept under a hidden name beside the target as the "spare"; a save
// opens the spare, which holds the save before last, goes on after what it already has, flushes
// it to the disk, links the current target to the other hidden name and moves the spare over the
// target with MoveFileExW (replace, write-through). The target therefore always names a complete
// save, and each save writes (and flushes) only what is new, instead of a whole copy of the
// output every time.
//
// What the POSIX writer gets from a lease, Windows gives directly: the spare is opened without
// sharing, which fails while anyone else has that file open (someone who opened the target two
// saves ago and is still reading it); such a file is left as it is and the save is a full write.
// Write-through makes each move durable before it returns, so, unlike on POSIX systems, no commit
// is left to wait for before the next save writes over the file the move replaced. A target that
// someone holds open, even sharing its deletion, cannot be moved over (a rename replaces no open
// file): the save fails naming the reason and leaves both files as they were, and the join
// saves again after its next document. Where hard links are missing (FAT), every save is a full
// write, as before.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "platform/win/FileFacts.h"
#include "platform/win/LinkOpenFile.h"
#include "platform/win/WideText.h"
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

using platform::win::ErrorText;
using platform::win::WidePath;

std::string Reason(DWORD error) {
  switch (error) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
      return "the folder does not exist";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "the disk is full";
    case ERROR_ACCESS_DENIED:
      return "permission denied, or another program has the file open";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "another program has the file open";
    case ERROR_WRITE_PROTECT:
      return "the disk is read-only";
    case ERROR_FILENAME_EXCED_RANGE:
      return "the name is too long";
    case ERROR_DIRECTORY:
      return "part of the path is not a folder";
    default:
      return ErrorText(error);
  }
}

Error SaveError(const std::string& path, const std::string& why) {
  return MakeError(pkgc::kWriteFailed, "cannot save " + path + ": " + why);
}

Error NameTaken(const std::string& path) {
  return MakeError(pkgc::kNameTaken, "cannot save " + path + ": the name is taken");
}

// The file a path names, as the system knows it, with its size and last write: another file put
// there, or this one changed by someone else, is not the save this writer left. Every file
// compared lies in the output's folder, so its number on the volume tells it apart (FileFacts.h
// says why the volume itself is not asked: each save compares four or five times).
struct FileId {
  std::uint64_t index = 0;
  std::uint64_t size = 0;
  std::uint64_t written = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};

std::optional<FileId> IdOf(HANDLE file, DWORD* links = nullptr) {
  const std::optional<platform::win::FileFacts> facts = platform::win::FactsOf(file);
  if (!facts ||
      (facts->attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    return std::nullopt;
  }
  if (links != nullptr) *links = facts->links;
  return FileId{facts->index, facts->size, facts->written};
}

// Owns a handle; writes at the cursor are gathered into batches.
class File {
  // Where a batch goes.
  auto Sink() {
    return [this](std::uint64_t offset, std::string_view bytes) { return WriteAt(offset, bytes); };
  }

 public:
  explicit File(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept
      : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)),
        batch_(std::move(other.batch_)) {}
  File& operator=(File&& other) noexcept {
    if (this != &other) {
      (void)Close();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
      batch_ = std::move(other.batch_);
    }
    return *this;
  }
  ~File() { (void)Close(); }
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Close() {
    if (handle_ == INVALID_HANDLE_VALUE) return true;
    return CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != 0;
  }

  // Writes everything at offset, in pieces a DWORD can count. Placed by the file pointer, not by
  // an OVERLAPPED offset: under wine a write given an OVERLAPPED reports its completion to the
  // wine server, a round trip for each of the dozens of writes a save makes.
  bool WriteAt(std::uint64_t offset, std::string_view bytes) {
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN)) return false;
    while (!bytes.empty()) {
      const auto piece = static_cast<DWORD>(std::min(bytes.size(), kPiece));
      DWORD written = 0;
      if (!WriteFile(handle_, bytes.data(), piece, &written, nullptr) || written == 0) return false;
      bytes.remove_prefix(written);
    }
    return true;
  }
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
  bool CutAt(std::uint64_t size) {
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(handle_, end, nullptr, FILE_BEGIN) && SetEndOfFile(handle_);
  }

 private:
  HANDLE handle_;
  CursorBatch batch_;
};

std::optional<FileId> Identify(const std::string& path, DWORD* links = nullptr) {
  const std::optional<std::wstring> wide = WidePath(path);
  if (!wide) return std::nullopt;
  File file(CreateFileW(wide->c_str(), FILE_READ_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.valid()) return std::nullopt;
  return IdOf(file.get(), links);
}

void Remove(const std::string& path) {
  if (const std::optional<std::wstring> wide = WidePath(path)) DeleteFileW(wide->c_str());
}

// The file at path, open, when it is still `id` and can be moved over now. It cannot while
// someone has it open without sharing its deletion; checked before the old save is linked under
// a hidden name, since that name could not be removed again either. One open answers both and
// then links it: under wine every open is a round trip to its server.
File OpenIfStillOursAndReplaceable(const std::wstring& path, const FileId& id) {
  File file(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (file.valid() && IdOf(file.get()) != id) return File();
  return file;
}

std::string FolderPart(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

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
  bool powerSafe = true;
  bool lastSaveFlushed = true;
  SaveStats stats;
  DWORD writeError = ERROR_SUCCESS;  // of the last failed write or flush
  std::string batch;                 // File's batch memory between saves

  // Where the output goes, for the file of the entries set aside; "" before the first save.
  std::string AsideFolder() const {
    if (target.empty()) return {};
    const std::string folder = FolderPart(target);
    return folder.empty() ? "." : folder;
  }

  std::string Hidden(const std::string& path, char which) const {
    return TempPath(path, token, which);
  }

  void DropSpares() {
    if (!target.empty()) {
      Remove(Hidden(target, 'a'));
      Remove(Hidden(target, 'b'));
    }
    spare.reset();
  }

  // The spare opened for this save to write into, when it can be trusted: still the save this
  // writer left there, with no other name (that would be someone's copy of an old save), and
  // nobody else holding it open. One open both checks and writes: under wine every open is a
  // round trip to its server. Not valid when the spare cannot be used.
  File OpenSpare() const {
    if (!spare || !linksWork || spare->layout.fixedCount > fixed.entries.size()) return File();
    const std::optional<std::wstring> wide = WidePath(spare->path);
    if (!wide) return File();
    // No sharing: this fails while anyone else has the file open, and keeps them out while it
    // is written. A link put in its place is opened itself, and then refused by IdOf.
    File file(CreateFileW(wide->c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr,
                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    DWORD links = 0;
    if (!file.valid() || IdOf(file.get(), &links) != spare->id || links != 1) return File();
    return file;
  }

  Error WriteFailed(const std::string& path) {
    writeError = GetLastError();
    return SaveError(path, Reason(writeError));
  }

  Status Flush();

  Status Save(const std::string& path, const std::vector<RawEntry>& changing, SaveMode mode);
};

Status PackageWriter::Impl::Save(const std::string& path, const std::vector<RawEntry>& changing,
                                 SaveMode mode) {
  if (path.empty()) return SaveError(path, "no file name");
  const std::optional<std::wstring> widePath = WidePath(path);
  if (!widePath) return SaveError(path, "the name is not valid Unicode text");
  if (path != target) {
    DropSpares();
    target = path;
    targetId.reset();
    // Hidden files of runs that were killed or lost their power are left nowhere else.
    RemoveStaleTemporaries(FolderPart(path));
  }
  // A new file must not replace anything, but may replace this writer's own last save.
  const bool claim = mode == SaveMode::kCreateNew && !(targetId && Identify(path) == targetId);
  const DWORD attributes = GetFileAttributesW(widePath->c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (claim) return NameTaken(path);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      return SaveError(path, "a folder has that name");
  }
  // No name may repeat, and every entry needs its data.
  Result<SortedChanges> sorted = SortChanges(changing, fixed, path);
  if (!sorted) return sorted.error();
  const std::vector<const RawEntry*>& growing = sorted->growing;

  // Into the spare when it can be trusted, its slots still fit and nobody else has it open;
  // else a full write.
  Layout layout;
  std::optional<std::vector<Slot>> grown;
  if (spare) grown = GrownSlots(spare->layout.slots, growing);
  File spareFile;
  if (grown) {
    spareFile = OpenSpare();
    if (!spareFile.valid()) grown.reset();
  }
  const bool incremental = grown.has_value();
  if (incremental) {
    layout.slots = std::move(*grown);
  } else {
    layout.slots = FreshSlots(growing, fixed.offsets.back());
  }
  layout.fixedCount = fixed.entries.size();

  // Everything must fit without ZIP64.
  if (const Result<std::uint64_t> fits = CheckSaveFits(layout, *sorted, fixed); !fits) {
    return fits.error();
  }

  std::string written;
  File out;
  std::optional<FileId> writtenId;
  if (incremental) {
    written = spare->path;
    out = std::move(spareFile);
  } else {
    if (spare) Remove(spare->path);
    spare.reset();
    written = Hidden(path, 'a');
    const std::optional<std::wstring> wide = WidePath(written);
    if (!wide) return SaveError(path, "the name is not valid Unicode text");
    // A new file, never one that is there already; a leftover of this writer is its own.
    // Its attributes are read too, to identify it once written.
    out = File(CreateFileW(wide->c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!out.valid() && GetLastError() == ERROR_FILE_EXISTS && DeleteFileW(wide->c_str())) {
      out = File(CreateFileW(wide->c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr,
                             CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
    }
    if (!out.valid()) return SaveError(path, Reason(GetLastError()));
  }
  {
    writeError = ERROR_SUCCESS;
    out.UseBuffer(std::move(batch));
    FileSaveOutput<File> output(out, [&] { return WriteFailed(path); });
    Status s = WriteSlots(output, layout.slots, growing, incremental ? &spare->layout : nullptr,
                          stats.bytesWritten);
    if (s) {
      // Go on after the fixed entries the file already holds; what lies beyond is written over,
      // and cut only when the new save is shorter.
      const std::size_t fromFixed = incremental ? spare->layout.fixedCount : 0;
      s = out.Seek(layout.FixedBase() + fixed.offsets[fromFixed])
              ? WriteRest(output, layout, fixed.ForWriting(), fromFixed, changing,
                          stats.bytesWritten)
              : WriteFailed(path);
      // What the batches still hold goes out before the file is cut or flushed.
      if (s && !out.Drain()) s = WriteFailed(path);
      if (s && incremental && spare->id.size > out.cursor() && !out.CutAt(out.cursor())) {
        s = WriteFailed(path);
      }
    }
    batch = out.TakeBuffer();
    if (s && powerSafe && !FlushFileBuffers(out.get())) s = WriteFailed(path);
    // The file is about to become the output, visible: attributes belong to the file, not to
    // one of its names. Its last write is stated too, because a file system may set it only
    // when the handle closes, and the file must still be the one identified here when the next
    // save looks: set, and the file identified, through the handle still open rather than by
    // opening the file again after it is moved. A file left hidden is no fault of the save's.
    if (s) {
      FILE_BASIC_INFO basic{};  // other times of 0 stay as they are
      basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
      FILETIME now{};
      GetSystemTimeAsFileTime(&now);
      basic.LastWriteTime.LowPart = now.dwLowDateTime;
      basic.LastWriteTime.HighPart = static_cast<LONG>(now.dwHighDateTime);
      (void)SetFileInformationByHandle(out.get(), FileBasicInfo, &basic, sizeof basic);
      writtenId = IdOf(out.get());
    }
    if (s && !out.Close()) s = WriteFailed(path);
    if (!s) {
      (void)out.Close();
      Remove(written);
      spare.reset();
      return s;
    }
  }

  // Keep the current target's file as the next spare, but only when it is still the file this
  // writer saved: a file someone else put there is theirs.
  const std::string keep = Hidden(path, written == Hidden(path, 'a') ? 'b' : 'a');
  std::optional<Spare> next;
  const std::optional<std::wstring> wideKeep = WidePath(keep);
  if (linksWork && wideKeep && targetId) {
    // Closed again before the move: a file this writer holds open could not be moved over.
    const File old = OpenIfStillOursAndReplaceable(*widePath, *targetId);
    // The name is normally free; a leftover (a crash between two saves) is ours to replace.
    bool linked = old.valid() && platform::win::LinkOpenFile(old.get(), wideKeep->c_str());
    if (!linked && old.valid() && GetLastError() == ERROR_ALREADY_EXISTS &&
        DeleteFileW(wideKeep->c_str())) {
      linked = platform::win::LinkOpenFile(old.get(), wideKeep->c_str());
    }
    if (linked) {
      next = Spare{keep, *targetId, std::move(targetLayout)};
    } else if (old.valid()) {
      const DWORD error = GetLastError();
      if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
          error == ERROR_NOT_SAME_DEVICE) {
        linksWork = false;  // FAT and friends: every save is a full write
      }
    }
  }
  // The old output is hidden only once it is no longer the output.
  const std::optional<std::wstring> wideWritten = WidePath(written);
  // Claiming moves without replacing: the name is taken in the same step as the save appears
  // under it, so two runs never both think it theirs.
  const DWORD replace = claim ? 0 : MOVEFILE_REPLACE_EXISTING;
  if (!wideWritten ||
      !MoveFileExW(wideWritten->c_str(), widePath->c_str(), replace | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    Remove(written);
    if (next) Remove(keep);
    spare.reset();
    targetId.reset();
    if (claim && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)) {
      return NameTaken(path);
    }
    return SaveError(path, Reason(error));
  }
  spare = std::move(next);
  if (spare) {
    // Links and attributes are not part of its identity: it is still the save it was.
    SetFileAttributesW(wideKeep->c_str(), FILE_ATTRIBUTE_HIDDEN);
  }
  targetId = writtenId;
  targetLayout = std::move(layout);
  stats.saves++;
  if (incremental) stats.incrementalSaves++;
  lastSaveFlushed = powerSafe;
  fixed.aside.Saved(fixed.entries, targetLayout.fixedCount, AsideFolder());
  return Ok();
}

Status PackageWriter::Impl::Flush() {
  if (lastSaveFlushed || target.empty() || !targetId) return Ok();
  const std::optional<std::wstring> wide = WidePath(target);
  if (!wide) return Ok();
  File file(CreateFileW(wide->c_str(), GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, 0, nullptr));
  if (!file.valid()) return SaveError(target, Reason(GetLastError()));
  // Only the file this writer saved; someone else's is theirs to flush.
  if (IdOf(file.get()) == targetId && !FlushFileBuffers(file.get())) {
    return SaveError(target, Reason(GetLastError()));
  }
  lastSaveFlushed = true;
  return Ok();
}

PackageWriter::PackageWriter() : impl_(std::make_unique<Impl>()) {}

PackageWriter::~PackageWriter() {
  (void)impl_->Flush();  // a failure here has no one to go to; the saves themselves succeeded
  impl_->DropSpares();
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
  impl_->DropSpares();
}

void PackageWriter::SetPowerSafe(bool powerSafe) {
  impl_->powerSafe = powerSafe;
}

Status PackageWriter::Flush() {
  return impl_->Flush();
}

PackageWriter::SaveStats PackageWriter::Stats() const {
  return impl_->stats;
}

}  // namespace plenwick::word::package
