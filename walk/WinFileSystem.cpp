// The file-system layer over the Win32 wide-character API: the Windows counterpart of
// StdFileSystem.cpp, with the same promises (see StdFileSystem.h).
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/win/FileFacts.h"
#include "platform/win/OwnedHandle.h"
#include "platform/win/WideText.h"
#include "walk/NaturalOrder.h"
#include "walk/StdFileSystem.h"

namespace plenwick::walk {
namespace {

using platform::win::ErrorText;
using platform::win::FactsOf;
using platform::win::FileFacts;
using platform::win::Narrow;
using platform::win::OwnedHandle;
using platform::win::WidePath;

int ErrorNumber(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_PRIVILEGE_NOT_HELD:
      return errc::kPermissionDenied;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_CANT_RESOLVE_FILENAME:
      return errc::kPathNotFound;
    default:
      return errc::kGeneric;
  }
}

Error PlatformError(DWORD error, const std::string& what) {
  return MakeError(ErrorNumber(error), what + ": " + ErrorText(error));
}

std::string OwnName(const std::string& path) {
  const std::size_t end = path.find_last_not_of("\\/");
  if (end == std::string::npos) return {};
  const std::size_t separator = path.find_last_of("\\/", end);
  const std::size_t start = separator == std::string::npos ? 0 : separator + 1;
  return path.substr(start, end + 1 - start);
}

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// The state of the folder at a path, opened only for that look (a folder held open could not be
// removed by anyone while the walk goes on); fails for anything but a folder.
Result<FileFacts> FolderFacts(const std::wstring& wide, const std::string& path, const char* what) {
  const OwnedHandle folder(CreateFileW(
      wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!folder.valid()) return PlatformError(GetLastError(), what + path);
  const std::optional<FileFacts> facts = FactsOf(folder.get());
  if (!facts) return PlatformError(GetLastError(), what + path);
  if ((facts->attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return PlatformError(ERROR_DIRECTORY, what + path);
  }
  return *facts;
}

enum class EntryType : unsigned char { kFolder, kFile, kFileLink, kFolderLink };

struct Entry {
  std::string name;
  EntryType type;
};

std::uint64_t Ticks(const FILETIME& time) {
  return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

// What names a folder's contents at one moment: the folder itself and its last change. A walk
// enters no mount point, so all its folders lie on one volume and their numbers tell them apart.
struct Identity {
  std::uint64_t index = 0;
  std::uint64_t written = 0;
  friend bool operator==(const Identity&, const Identity&) = default;
};

struct Listing {
  Identity identity;
  bool reusable = false;
  std::vector<Entry> entries;
};

// A symbolic link or a junction: the walker must not follow one into a folder (a cycle could
// make a walk endless). Other reparse points (cloud placeholders, deduplicated files) are
// ordinary files and folders to the user.
bool IsLink(const WIN32_FIND_DATAW& found) {
  return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         (found.dwReserved0 == IO_REPARSE_TAG_SYMLINK ||
          found.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
}

class WinFolder final : public Folder {
 public:
  WinFolder(std::shared_ptr<std::shared_ptr<const Listing>> cache, std::string path,
            std::wstring widePath)
      : cache_(std::move(cache)), path_(std::move(path)), widePath_(std::move(widePath)) {}

  std::string Name() const override { return OwnName(path_); }

  Result<SharedSubFolders> SubFolders() override {
    Result<std::shared_ptr<const Listing>> listing = Current();
    if (!listing) return listing.error();
    auto folders = std::make_shared<FolderCollection>();
    for (const Entry& entry : (*listing)->entries) {
      if (entry.type == EntryType::kFolder) folders->emplace_back(entry.name);
    }
    return SharedSubFolders(std::move(folders));
  }

  Result<SharedSubFolders> LinkedFolders() override {
    Result<std::shared_ptr<const Listing>> listing = Current();
    if (!listing) return listing.error();
    auto folders = std::make_shared<FolderCollection>();
    for (const Entry& entry : (*listing)->entries) {
      if (entry.type == EntryType::kFolderLink) folders->emplace_back(entry.name);
    }
    return SharedSubFolders(std::move(folders));
  }

  Result<SharedFiles> Files() override {
    Result<std::shared_ptr<const Listing>> listing = Current();
    if (!listing) return listing.error();
    auto files = std::make_shared<FileCollection>();
    for (const Entry& entry : (*listing)->entries) {
      if (entry.type == EntryType::kFile ||
          (entry.type == EntryType::kFileLink && LinksToFile(entry))) {
        files->emplace_back(entry.name);
      }
    }
    return SharedFiles(std::move(files));
  }

 private:
  Result<std::shared_ptr<const Listing>> Current() {
    FILETIME start{};
    GetSystemTimeAsFileTime(&start);
    const Result<FileFacts> facts = FolderFacts(widePath_, path_, "cannot list ");
    if (!facts) return facts.error();
    const Identity now{facts->index, facts->written};
    const std::shared_ptr<const Listing>& last = *cache_;
    if (last && last->reusable && last->identity == now) return last;
    Result<std::shared_ptr<const Listing>> read = Read(now, Ticks(start));
    if (read) *cache_ = *read;
    return read;
  }

  Result<std::shared_ptr<const Listing>> Read(const Identity& identity, std::uint64_t start) {
    auto listing = std::make_shared<Listing>();
    listing->identity = identity;
    // As on other systems, a listing is reused only when the folder's last change lies more
    // than the coarsest clock tick (FAT's two seconds) before the read began.
    constexpr std::uint64_t kMarginTicks = 3ULL * 10'000'000ULL;
    listing->reusable = identity.written + kMarginTicks < start;

    std::wstring pattern = widePath_;
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    FindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (find.get() == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      // An empty folder (a drive's root has not even "." and "..").
      if (error != ERROR_FILE_NOT_FOUND) return PlatformError(error, "cannot list " + path_);
    } else {
      do {
        const std::wstring_view wide = found.cFileName;
        if (wide == L"." || wide == L"..") continue;
        std::optional<std::string> name = Narrow(wide);
        if (!name) {
          // Leaving it out would lose a document without a word.
          return MakeError(errc::kGeneric,
                           "cannot list " + path_ + ": an entry's name is not valid Unicode");
        }
        const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (IsLink(found)) {
          // Linked folders are not entered, only named; a link to a file is looked through when
          // listed.
          listing->entries.push_back(
              {std::move(*name), folder ? EntryType::kFolderLink : EntryType::kFileLink});
        } else if (folder) {
          listing->entries.push_back({std::move(*name), EntryType::kFolder});
        } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0) {
          listing->entries.push_back({std::move(*name), EntryType::kFile});
        }
      } while (FindNextFileW(find.get(), &found));
      const DWORD error = GetLastError();
      if (error != ERROR_NO_MORE_FILES) return PlatformError(error, "cannot list " + path_);
    }
    SortNaturally(listing->entries, [](const Entry& e) -> std::string_view { return e.name; });
    return std::shared_ptr<const Listing>(std::move(listing));
  }

  // Looked through each time: a link's target may change without the folder changing.
  bool LinksToFile(const Entry& entry) const {
    std::optional<std::wstring> child = WidePath(path_ + '\\' + entry.name);
    if (!child) return false;
    const DWORD attributes = GetFileAttributesW(child->c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  std::shared_ptr<std::shared_ptr<const Listing>> cache_;
  std::string path_;
  std::wstring widePath_;
};

class WinFileSystem final : public FileSystem {
 public:
  bool FolderExists(const std::string& path) override {
    std::optional<std::wstring> wide = WidePath(path);
    if (!wide) return false;
    const DWORD attributes = GetFileAttributesW(wide->c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  Result<std::unique_ptr<Folder>> GetFolder(const std::string& path) override {
    std::optional<std::wstring> wide = WidePath(path);
    if (!wide) {
      return MakeError(errc::kPathNotFound,
                       "cannot open " + path + ": the name is not valid Unicode text");
    }
    if (Result<FileFacts> folder = FolderFacts(*wide, path, "cannot open "); !folder) {
      return folder.error();
    }
    return std::unique_ptr<Folder>(std::make_unique<WinFolder>(cache_, path, std::move(*wide)));
  }

 private:
  std::shared_ptr<std::shared_ptr<const Listing>> cache_ =
      std::make_shared<std::shared_ptr<const Listing>>();
};

}  // namespace

int FileSystemErrorNumber(const std::error_code& error) {
  if (error.category() == std::system_category()) {
    return ErrorNumber(static_cast<DWORD>(error.value()));
  }
  if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
    return errc::kPermissionDenied;
  }
  if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory ||
      error == std::errc::filename_too_long || error == std::errc::invalid_argument) {
    return errc::kPathNotFound;
  }
  return errc::kGeneric;
}

FileSystemFactory DefaultFileSystems() {
  return []() -> Result<std::unique_ptr<FileSystem>> {
    return std::unique_ptr<FileSystem>(std::make_unique<WinFileSystem>());
  };
}

}  // namespace plenwick::walk
