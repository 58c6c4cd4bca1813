// Saves a package again and again to one path, atomically: the Windows counterpart of
// PackageWriter.cpp, behind the same class (Zip.h).
//
// Each save is a full write into a new temporary file beside the target, flushed to the disk,
// then moved over the target with MoveFileExW (replace, write-through), so the target always
// names a complete save. Windows cannot rename onto a file someone holds open without sharing
// its deletion (Word, for one): such a target is not written over, and the save fails naming
// the reason. The POSIX writer's incremental saves rest on hard links and leases, which Windows
// file systems do not all offer; a full write costs more per save but stays simple.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "platform/win/WideText.h"
#include "word/package/PackageErrors.h"
#include "word/package/PartNames.h"
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

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Close(); }
  HANDLE get() const { return handle_; }
  bool Close() {
    if (handle_ == INVALID_HANDLE_VALUE) return true;
    return CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != 0;
  }

 private:
  HANDLE handle_;
};

// Writes everything, in pieces a DWORD can count.
bool WriteAll(HANDLE file, std::string_view bytes) {
  constexpr std::size_t kPiece = std::size_t{1} << 30;
  while (!bytes.empty()) {
    const auto piece = static_cast<DWORD>(std::min(bytes.size(), kPiece));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), piece, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// The file a path names, as the system knows it: another file put there is someone else's.
struct FileId {
  DWORD volume = 0;
  std::uint64_t index = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};

std::optional<FileId> IdOf(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return std::nullopt;
  return FileId{info.dwVolumeSerialNumber,
                (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// The folder part of a path, with its separator ("" for a bare name).
std::string FolderOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// A short name, unlike any document's, that no other writer in any process picks at once.
std::string TemporaryName() {
  static std::atomic<unsigned> serial{0};
  char name[40];
  std::snprintf(name, sizeof name, "~plw%lx-%x.tmp", GetCurrentProcessId(), serial++);
  return name;
}

}  // namespace

struct PackageWriter::Impl {
  std::vector<RawEntry> fixed;
  std::unordered_map<std::string, std::size_t> fixedNames;  // folded name -> index in fixed
  bool powerSafe = true;
  std::string target;
  std::optional<FileId> targetId;  // what the last save left at target
  bool lastSaveFlushed = true;
  SaveStats stats;

  Status Save(const std::string& path, const std::vector<RawEntry>& changing, SaveMode mode);
  Status Flush();
  // True when path names the file this writer's last save left there.
  bool IsOwnLastSave(const std::string& path, const std::wstring& widePath) const;
};

bool PackageWriter::Impl::IsOwnLastSave(const std::string& path,
                                        const std::wstring& widePath) const {
  if (path != target || !targetId) return false;
  Handle file(CreateFileW(widePath.c_str(), FILE_READ_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return file.get() != INVALID_HANDLE_VALUE && IdOf(file.get()) == targetId;
}

Status PackageWriter::Impl::Save(const std::string& path, const std::vector<RawEntry>& changing,
                                 SaveMode mode) {
  if (path.empty()) return SaveError(path, "no file name");
  const std::optional<std::wstring> widePath = WidePath(path);
  if (!widePath) return SaveError(path, "the name is not valid Unicode text");
  // A new file must not replace anything, but may replace this writer's own last save.
  const bool claim = mode == SaveMode::kCreateNew && !IsOwnLastSave(path, *widePath);
  const DWORD attributes = GetFileAttributesW(widePath->c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (claim) return NameTaken(path);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      return SaveError(path, "a folder has that name");
  }
  std::unordered_set<std::string> names;
  for (const RawEntry& e : changing) {
    if (fixedNames.contains(FoldCase(e.name)) || !names.insert(FoldCase(e.name)).second) {
      return MakeError(pkgc::kInvalidState,
                       "cannot save " + path + ": part " + e.name + " given twice");
    }
    if (!e.data || e.data->size() != e.compressedSize) {
      return MakeError(pkgc::kInvalidState,
                       "cannot save " + path + ": part " + e.name + " has no data");
    }
  }
  // Everything must fit without ZIP64; the layout is the one written below.
  const std::vector<RawEntry>* const lists[] = {&fixed, &changing};
  std::uint64_t offset = 0;
  for (const std::vector<RawEntry>* list : lists) {
    for (const RawEntry& e : *list) {
      if (Status s = CheckFits(e, offset); !s) return s;
      offset += LocalHeaderSize(e) + e.compressedSize;
    }
  }

  const std::string temporary = FolderOf(path) + TemporaryName();
  const std::optional<std::wstring> wideTemporary = WidePath(temporary);
  if (!wideTemporary) return SaveError(path, "the name is not valid Unicode text");
  // A new file, never one that is there already.
  Handle out(CreateFileW(wideTemporary->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (out.get() == INVALID_HANDLE_VALUE) return SaveError(path, Reason(GetLastError()));

  std::string header;
  std::string directory;
  std::uint64_t at = 0;
  bool written = true;
  for (const std::vector<RawEntry>* list : lists) {
    for (const RawEntry& e : *list) {
      header.clear();
      AppendLocalHeader(header, e);
      if (!WriteAll(out.get(), header) || !WriteAll(out.get(), *e.data)) {
        written = false;
        break;
      }
      AppendCentralHeader(directory, e, at);
      at += header.size() + e.data->size();
    }
    if (!written) break;
  }
  Status status = Ok();
  if (written) {
    status = AppendEndRecord(directory, fixed.size() + changing.size(), directory.size(), at);
    if (status) written = WriteAll(out.get(), directory);
  }
  DWORD error = written ? ERROR_SUCCESS : GetLastError();
  if (written && powerSafe && !FlushFileBuffers(out.get())) written = false, error = GetLastError();
  if (!out.Close() && written) written = false, error = GetLastError();
  if (!status || !written) {
    DeleteFileW(wideTemporary->c_str());
    return status ? SaveError(path, Reason(error)) : status;
  }

  // Claiming moves without replacing: the name is taken in the same step as the save appears
  // under it, so two runs never both think it theirs.
  const DWORD replace = claim ? 0 : MOVEFILE_REPLACE_EXISTING;
  if (!MoveFileExW(wideTemporary->c_str(), widePath->c_str(), replace | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
    DeleteFileW(wideTemporary->c_str());
    if (claim && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)) {
      return NameTaken(path);
    }
    return SaveError(path, Reason(error));
  }
  target = path;
  targetId.reset();
  Handle saved(CreateFileW(widePath->c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr));
  if (saved.get() != INVALID_HANDLE_VALUE) targetId = IdOf(saved.get());
  stats.saves++;
  stats.bytesWritten += at + directory.size();
  lastSaveFlushed = powerSafe;
  return Ok();
}

Status PackageWriter::Impl::Flush() {
  if (lastSaveFlushed || target.empty() || !targetId) return Ok();
  const std::optional<std::wstring> wide = WidePath(target);
  if (!wide) return Ok();
  Handle file(CreateFileW(wide->c_str(), GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, 0, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return SaveError(target, Reason(GetLastError()));
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
}

bool PackageWriter::AddFixed(RawEntry entry) {
  if (!entry.data || entry.data->size() != entry.compressedSize) return false;
  const auto [it, added] = impl_->fixedNames.emplace(FoldCase(entry.name), impl_->fixed.size());
  if (!added) {
    // The same part again is no conflict; another part under the same name is.
    const RawEntry& had = impl_->fixed[it->second];
    return had.crc32 == entry.crc32 && had.uncompressedSize == entry.uncompressedSize &&
           had.name == entry.name && *had.data == *entry.data;
  }
  impl_->fixed.push_back(std::move(entry));
  return true;
}

bool PackageWriter::HasFixed(std::string_view name) const {
  return impl_->fixedNames.contains(FoldCase(name));
}

Status PackageWriter::Save(const std::string& path, const std::vector<RawEntry>& changing,
                           SaveMode mode) {
  return impl_->Save(path, changing, mode);
}

void PackageWriter::DropSpares() {}  // full writes keep no spare beside the target

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
