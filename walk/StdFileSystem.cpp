#include "walk/StdFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/LongPathPosix.h"
#include "walk/NaturalOrder.h"

namespace plenwick::walk {
namespace {

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

// An open folder. Listing through it costs no walk along the path again, and it keeps naming
// the same folder however the path changes meanwhile.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
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
  bool reusable = false;  // for any later look, while the folder stays unchanged
  timespec readStart{};   // when the read began
  std::vector<Entry> entries;
  std::size_t folders = 0;  // entries that are real folders
};

bool Same(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Adding, removing or renaming an entry moves a folder's modification time, and a change of its
// permissions its status-change time; while both stand still its listing stands still.
bool Unchanged(const Listing& listing, const struct stat& now) {
  return listing.device == now.st_dev && listing.inode == now.st_ino &&
         Same(listing.modified, now.st_mtim) && Same(listing.changed, now.st_ctim);
}

// File times are kept in clock ticks, so a change made in the same tick as a read could leave
// both times as they were. A listing is only reused when the folder's last change lies more
// than the coarsest tick (FAT's two seconds) before the read began, the rule that also keeps
// git's index honest. Trees being walked are rarely that fresh, so this costs next to nothing.
bool SettledBefore(const struct stat& status, const timespec& readStart) {
  constexpr long double kMarginNanoseconds = 3e9L;
  const auto nanoseconds = [](const timespec& t) {
    return static_cast<long double>(t.tv_sec) * 1e9L + static_cast<long double>(t.tv_nsec);
  };
  const long double start = nanoseconds(readStart) - kMarginNanoseconds;
  return nanoseconds(status.st_mtim) < start && nanoseconds(status.st_ctim) < start;
}

// A listing taken a moment ago serves the walker's second look at the same folder (once for its
// subfolders, once for its files) even when the folder changed within the last tick: both looks
// then see the folder as it was at the first, as if it had been read once. Reading it again
// would take another snapshot no truer than that one, at the cost of the whole read: a tree
// made just before it is walked had every folder read twice.
bool JustRead(const Listing& listing, const timespec& now) {
  constexpr long double kMomentNanoseconds = 1e8L;
  const auto nanoseconds = [](const timespec& t) {
    return static_cast<long double>(t.tv_sec) * 1e9L + static_cast<long double>(t.tv_nsec);
  };
  const long double age = nanoseconds(now) - nanoseconds(listing.readStart);
  return age >= 0 && age < kMomentNanoseconds;
}

// What an entry is, from the type the directory itself records where the file system keeps
// one, so a listing costs no call per entry on the usual file systems. Returns false for entries
// left out: pipes, sockets and devices are not documents, and reading one may block for ever.
Result<bool> Classify(int folder, const char* name, unsigned char type, EntryType& entryType) {
  if (type == DT_UNKNOWN) {
    struct stat status {};
    if (fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
      const int number = errno;
      // Vanished since the folder was read: the listing shows the folder as it is now.
      if (number == ENOENT) return false;
      return PlatformError(number, std::string("cannot examine ") + name);
    }
    type = S_ISLNK(status.st_mode)   ? DT_LNK
           : S_ISDIR(status.st_mode) ? DT_DIR
           : S_ISREG(status.st_mode) ? DT_REG
                                     : DT_UNKNOWN;
  }
  switch (type) {
    case DT_DIR:
      entryType = EntryType::kFolder;
      return true;
    case DT_REG:
      entryType = EntryType::kFile;
      return true;
    case DT_LNK:
      entryType = EntryType::kLink;
      return true;
    default:
      return false;
  }
}

// Reads the entries of the open folder from its start (rewind when it was read through before).
// status is the folder's state taken just before, after the clock read readStart.
Result<std::shared_ptr<const Listing>> Read(int folder, const struct stat& status,
                                            const timespec& readStart, bool rewind,
                                            const std::string& path) {
  if (rewind && lseek(folder, 0, SEEK_SET) != 0) {
    const int number = errno;
    return PlatformError(number, "cannot list " + path);
  }
  auto listing = std::make_shared<Listing>();
  listing->device = status.st_dev;
  listing->inode = status.st_ino;
  listing->modified = status.st_mtim;
  listing->changed = status.st_ctim;
  listing->reusable = SettledBefore(status, readStart);
  listing->readStart = readStart;

  alignas(dirent64) char buffer[32 * 1024];
  for (;;) {
    const ssize_t filled = getdents64(folder, buffer, sizeof buffer);
    if (filled < 0) {
      const int number = errno;
      return PlatformError(number, "cannot list " + path);
    }
    if (filled == 0) break;
    for (ssize_t at = 0; at < filled;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
      at += entry->d_reclen;
      const std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      EntryType type{};
      Result<bool> listed = Classify(folder, entry->d_name, entry->d_type, type);
      if (!listed) return listed.error();
      if (!*listed) continue;
      listing->entries.push_back({std::string(name), type});
      if (type == EntryType::kFolder) ++listing->folders;
    }
  }
  SortNaturally(listing->entries, [](const Entry& e) -> std::string_view { return e.name; });
  return std::shared_ptr<const Listing>(std::move(listing));
}

// A folder's descriptor, shared by the folders opened on it; read tells that its position has
// moved past the start.
struct OpenDescriptor {
  explicit OpenDescriptor(int fd) : descriptor(fd) {}
  Descriptor descriptor;
  bool read = false;
};

// The last folder read. The walker opens every folder twice in a row, once for its subfolders
// and once for its files; the second open takes the descriptor of the first while the path still
// names that folder, and the second listing reuses the first read while the folder is unchanged.
struct ListingCache {
  std::shared_ptr<const Listing> last;
  std::string heldPath;
  std::shared_ptr<OpenDescriptor> held;
  dev_t heldDevice = 0;
  ino_t heldInode = 0;
};

class StdFolder final : public Folder {
 public:
  StdFolder(std::shared_ptr<ListingCache> cache, std::string path,
            std::shared_ptr<OpenDescriptor> folder)
      : cache_(std::move(cache)), path_(std::move(path)), folder_(std::move(folder)) {}

  std::string Name() const override { return OwnName(path_); }

  Result<SharedSubFolders> SubFolders() override {
    Result<std::shared_ptr<const Listing>> listing = Current();
    if (!listing) return listing.error();
    auto folders = std::make_shared<FolderCollection>();
    folders->reserve((*listing)->folders);
    for (const Entry& entry : (*listing)->entries) {
      // A linked folder is left out: a link cycle could otherwise make a walk endless.
      if (entry.type == EntryType::kFolder) folders->emplace_back(entry.name);
    }
    return SharedSubFolders(std::move(folders));
  }

  Result<SharedSubFolders> LinkedFolders() override {
    Result<std::shared_ptr<const Listing>> listing = Current();
    if (!listing) return listing.error();
    auto folders = std::make_shared<FolderCollection>();
    for (const Entry& entry : (*listing)->entries) {
      if (entry.type == EntryType::kLink && LinksTo(entry, S_IFDIR)) {
        folders->emplace_back(entry.name);
      }
    }
    return SharedSubFolders(std::move(folders));
  }

  Result<SharedFiles> Files() override {
    Result<std::shared_ptr<const Listing>> listing = Current();
    if (!listing) return listing.error();
    auto files = std::make_shared<FileCollection>();
    files->reserve((*listing)->entries.size() - (*listing)->folders);
    for (const Entry& entry : (*listing)->entries) {
      if (entry.type == EntryType::kFile ||
          (entry.type == EntryType::kLink && LinksTo(entry, S_IFREG))) {
        files->emplace_back(entry.name);
      }
    }
    return SharedFiles(std::move(files));
  }

 private:
  // The folder's listing as it is now: the cached one while the folder is unchanged.
  Result<std::shared_ptr<const Listing>> Current() {
    timespec readStart{};
    clock_gettime(CLOCK_REALTIME, &readStart);
    struct stat now {};
    if (fstat(Fd(), &now) != 0) {
      const int number = errno;
      return PlatformError(number, "cannot list " + path_);
    }
    if (now.st_nlink == 0) return PlatformError(ENOENT, "cannot list " + path_ + ", removed");
    cache_->heldPath = path_;
    cache_->held = folder_;
    cache_->heldDevice = now.st_dev;
    cache_->heldInode = now.st_ino;
    if (cache_->last && Unchanged(*cache_->last, now) &&
        (cache_->last->reusable || JustRead(*cache_->last, readStart))) {
      return cache_->last;
    }
    Result<std::shared_ptr<const Listing>> read =
        Read(Fd(), now, readStart, std::exchange(folder_->read, true), path_);
    if (read) cache_->last = *read;
    return read;
  }

  // Links are looked through each time: their targets may change without the folder changing.
  // A broken link, a link loop or a target out of reach holds nothing that could be read.
  bool LinksTo(const Entry& entry, mode_t type) const {
    struct stat status {};
    return fstatat(Fd(), entry.name.c_str(), &status, 0) == 0 && (status.st_mode & S_IFMT) == type;
  }

  int Fd() const { return folder_->descriptor.get(); }

  std::shared_ptr<ListingCache> cache_;
  std::string path_;
  std::shared_ptr<OpenDescriptor> folder_;
};

// The system would read such a path only up to the NUL and so act on another folder.
bool Unspeakable(const std::string& path) {
  return path.find('\0') != std::string::npos;
}

class StdFileSystem final : public FileSystem {
 public:
  bool FolderExists(const std::string& path) override {
    if (Unspeakable(path)) return false;
    // A path that names the folder only, not one to read: no permission is asked of it.
    Descriptor folder(posix::OpenLongPath(path, O_PATH | O_DIRECTORY));
    return folder.get() >= 0;
  }

  Result<std::unique_ptr<Folder>> GetFolder(const std::string& path) override {
    if (Unspeakable(path)) return PlatformError(EINVAL, "cannot open a path holding a NUL byte");
    if (std::shared_ptr<OpenDescriptor> held = Held(path)) {
      return std::unique_ptr<Folder>(std::make_unique<StdFolder>(cache_, path, std::move(held)));
    }
    // Folders nested deeper than the system takes in one path are opened a step at a time.
    auto folder =
        std::make_shared<OpenDescriptor>(posix::OpenLongPath(path, O_RDONLY | O_DIRECTORY));
    if (folder->descriptor.get() < 0) {
      const int number = errno;
      return PlatformError(number, "cannot open " + path);
    }
    return std::unique_ptr<Folder>(std::make_unique<StdFolder>(cache_, path, std::move(folder)));
  }

 private:
  // The descriptor the last listing was taken through, when path still names that folder: a
  // look at the path costs less than opening and closing the folder again. Anything else (the
  // folder gone, replaced or moved away, a path too long for one call) opens it anew.
  std::shared_ptr<OpenDescriptor> Held(const std::string& path) {
    std::shared_ptr<OpenDescriptor> held = std::move(cache_->held);
    if (!held || cache_->heldPath != path) return nullptr;
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_dev != cache_->heldDevice || status.st_ino != cache_->heldInode) {
      return nullptr;
    }
    return held;
  }

  std::shared_ptr<ListingCache> cache_ = std::make_shared<ListingCache>();
};

}  // namespace

int FileSystemErrorNumber(const std::error_code& error) {
  if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
    return errc::kPermissionDenied;
  }
  if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory ||
      error == std::errc::filename_too_long || error == std::errc::too_many_symbolic_link_levels ||
      error == std::errc::invalid_argument) {
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
