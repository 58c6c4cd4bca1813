#include "walk/StdFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "walk/NaturalOrder.h"

namespace plenwick::walk {
namespace {

namespace fs = std::filesystem;

Error PlatformError(const std::error_code& error, const std::string& what) {
  return MakeError(FileSystemErrorNumber(error), what + ": " + error.message());
}

Error PlatformError(int number, const std::string& what) {
  return PlatformError(std::error_code(number, std::generic_category()), what);
}

std::string OwnName(const std::string& path) {
  const std::size_t end = path.find_last_not_of(kPathSeparator);
  if (end == std::string::npos) return {};
  const std::size_t separator = path.find_last_of(kPathSeparator, end);
  const std::size_t start = separator == std::string::npos ? 0 : separator + 1;
  return path.substr(start, end + 1 - start);
}

struct DirectoryCloser {
  void operator()(DIR* directory) const { closedir(directory); }
};

enum class EntryType : unsigned char { kFolder, kFile, kLink };

struct Entry {
  std::string name;
  EntryType type;
};

// A folder's entries as read once, sorted, with what identified the folder's contents then.
struct Listing {
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{};
  timespec changed{};
  bool reusable = false;
  std::vector<Entry> entries;
};

bool Same(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Adding, removing or renaming an entry moves a folder's modification time, and a change of its
// permissions its status-change time; while both stand still its listing stands still.
bool Unchanged(const Listing& listing, const struct stat& now) {
  return listing.reusable && listing.device == now.st_dev && listing.inode == now.st_ino &&
         Same(listing.modified, now.st_mtim) && Same(listing.changed, now.st_ctim);
}

// File times are kept in coarse clock ticks, so a change made in the same tick as a read could
// leave both times as they were. A listing is only reused when the folder's last change lies
// well before the read began (the same rule that keeps git's index honest).
bool SettledBefore(const struct stat& status, const timespec& readStart) {
  constexpr long kMarginNanoseconds = 50'000'000;
  const auto nanoseconds = [](const timespec& t) {
    return static_cast<long double>(t.tv_sec) * 1e9L + static_cast<long double>(t.tv_nsec);
  };
  const long double start = nanoseconds(readStart) - kMarginNanoseconds;
  return nanoseconds(status.st_mtim) < start && nanoseconds(status.st_ctim) < start;
}

// Reads a folder's entries. Entry types come from the directory itself where the file system
// records them, so a listing costs no call per entry on the usual file systems.
Result<std::shared_ptr<const Listing>> Read(const std::string& folderPath) {
  timespec readStart{};
  clock_gettime(CLOCK_REALTIME, &readStart);
  const std::unique_ptr<DIR, DirectoryCloser> directory(opendir(folderPath.c_str()));
  if (!directory) {
    const int number = errno;
    return PlatformError(number, "cannot list " + folderPath);
  }
  auto listing = std::make_shared<Listing>();
  struct stat status {};
  if (fstat(dirfd(directory.get()), &status) != 0) {
    const int number = errno;
    return PlatformError(number, "cannot list " + folderPath);
  }
  listing->device = status.st_dev;
  listing->inode = status.st_ino;
  listing->modified = status.st_mtim;
  listing->changed = status.st_ctim;
  listing->reusable = SettledBefore(status, readStart);

  for (;;) {
    errno = 0;
    const dirent* entry = readdir(directory.get());
    if (entry == nullptr) {
      const int number = errno;
      if (number != 0) return PlatformError(number, "cannot list " + folderPath);
      break;
    }
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    unsigned char type = entry->d_type;
    if (type == DT_UNKNOWN) {
      struct stat entryStatus {};
      if (fstatat(dirfd(directory.get()), entry->d_name, &entryStatus, AT_SYMLINK_NOFOLLOW) != 0) {
        const int number = errno;
        // Vanished since the folder was read: the listing shows the folder as it is now.
        if (number == ENOENT) continue;
        return PlatformError(number, "cannot examine " + folderPath + std::string(name));
      }
      type = S_ISLNK(entryStatus.st_mode)   ? DT_LNK
             : S_ISDIR(entryStatus.st_mode) ? DT_DIR
             : S_ISREG(entryStatus.st_mode) ? DT_REG
                                            : DT_UNKNOWN;
    }
    // Pipes, sockets and devices are not documents, and reading one may block for ever.
    if (type == DT_DIR) listing->entries.push_back({std::string(name), EntryType::kFolder});
    if (type == DT_REG) listing->entries.push_back({std::string(name), EntryType::kFile});
    if (type == DT_LNK) listing->entries.push_back({std::string(name), EntryType::kLink});
  }
  std::sort(listing->entries.begin(), listing->entries.end(),
            [](const Entry& a, const Entry& b) { return NaturalLess(a.name, b.name); });
  return std::shared_ptr<const Listing>(std::move(listing));
}

// The last folder listed. The walker opens every folder twice in a row, once for its subfolders
// and once for its files; the second open reuses the first read when the folder is unchanged.
struct ListingCache {
  std::string path;
  std::shared_ptr<const Listing> last;
};

class StdFolder final : public Folder {
 public:
  StdFolder(std::shared_ptr<ListingCache> cache, std::string path)
      : cache_(std::move(cache)), path_(std::move(path)) {}

  std::string Name() const override { return OwnName(path_); }

  Result<SharedSubFolders> SubFolders() override {
    Result<std::shared_ptr<const Listing>> listing = Current();
    if (!listing) return listing.error();
    auto folders = std::make_shared<FolderCollection>();
    for (const Entry& entry : (*listing)->entries) {
      // A linked folder is left out: a link cycle could otherwise make a walk endless.
      if (entry.type == EntryType::kFolder) folders->emplace_back(entry.name);
    }
    return SharedSubFolders(std::move(folders));
  }

  Result<SharedFiles> Files() override {
    Result<std::shared_ptr<const Listing>> listing = Current();
    if (!listing) return listing.error();
    auto files = std::make_shared<FileCollection>();
    for (const Entry& entry : (*listing)->entries) {
      if (entry.type == EntryType::kFile ||
          (entry.type == EntryType::kLink && LinksToFile(entry))) {
        files->emplace_back(entry.name);
      }
    }
    return SharedFiles(std::move(files));
  }

 private:
  // The folder's listing as it is now: the cached one while the folder is unchanged.
  Result<std::shared_ptr<const Listing>> Current() {
    if (cache_->last && cache_->path == path_) {
      struct stat now {};
      if (stat(path_.c_str(), &now) != 0) {
        const int number = errno;
        return PlatformError(number, "cannot list " + path_);
      }
      if (Unchanged(*cache_->last, now)) return cache_->last;
    }
    Result<std::shared_ptr<const Listing>> read = Read(path_);
    if (read) {
      cache_->path = path_;
      cache_->last = *read;
    }
    return read;
  }

  // Links are looked through each time: their targets may change without the folder changing.
  // A broken link, a link loop or a target out of reach holds nothing that could be read.
  bool LinksToFile(const Entry& entry) const {
    std::string target = path_;
    if (target.empty() || target.back() != kPathSeparator) target += kPathSeparator;
    target += entry.name;
    struct stat status {};
    return stat(target.c_str(), &status) == 0 && S_ISREG(status.st_mode);
  }

  std::shared_ptr<ListingCache> cache_;
  std::string path_;
};

class StdFileSystem final : public FileSystem {
 public:
  bool FolderExists(const std::string& path) override {
    std::error_code error;
    return fs::is_directory(fs::path(path), error) && !error;
  }

  Result<std::unique_ptr<Folder>> GetFolder(const std::string& path) override {
    std::error_code error;
    const fs::file_status status = fs::status(fs::path(path), error);
    if (error) return PlatformError(error, "cannot open " + path);
    if (!fs::is_directory(status)) {
      return MakeError(errc::kPathNotFound, "cannot open " + path + ": not a folder");
    }
    return std::unique_ptr<Folder>(std::make_unique<StdFolder>(cache_, path));
  }

 private:
  std::shared_ptr<ListingCache> cache_ = std::make_shared<ListingCache>();
};

}  // namespace

int FileSystemErrorNumber(const std::error_code& error) {
  if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
    return errc::kPermissionDenied;
  }
  if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory ||
      error == std::errc::filename_too_long || error == std::errc::too_many_symbolic_link_levels) {
    return errc::kPathNotFound;
  }
  return errc::kGeneric;
}

FileSystemFactory DefaultFileSystems() {
  return []() -> Result<std::unique_ptr<FileSystem>> {
    return std::unique_ptr<FileSystem>(std::make_unique<StdFileSystem>());
  };
}

}  // namespace plenwick::walk
