#include "walk/StdFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

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

enum class Kind { kSubFolders, kFiles };

// What an entry is, from the type the directory itself records where it can, so that a listing
// costs no call per entry on the usual file systems. Links are resolved only for file listings.
Result<bool> Belongs(DIR* directory, const dirent& entry, Kind kind) {
  unsigned char type = entry.d_type;
  struct stat status {};
  if (type == DT_UNKNOWN) {
    if (fstatat(dirfd(directory), entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
      const int number = errno;
      // Vanished since the folder was read: the listing shows the folder as it is now.
      if (number == ENOENT) return false;
      return PlatformError(number, std::string("cannot examine ") + entry.d_name);
    }
    if (S_ISLNK(status.st_mode)) {
      type = DT_LNK;
    } else if (S_ISDIR(status.st_mode)) {
      type = DT_DIR;
    } else if (S_ISREG(status.st_mode)) {
      type = DT_REG;
    } else {
      return false;  // pipes, sockets, devices
    }
  }
  if (kind == Kind::kSubFolders) return type == DT_DIR;
  if (type != DT_LNK) return type == DT_REG;
  // A broken link, a link loop or a target out of reach: nothing there that could be read.
  if (fstatat(dirfd(directory), entry.d_name, &status, 0) != 0) return false;
  return S_ISREG(status.st_mode);
}

// The own names of the folder's entries of one kind, in listing order.
Result<std::vector<std::string>> List(const std::string& folderPath, Kind kind) {
  const std::unique_ptr<DIR, DirectoryCloser> directory(opendir(folderPath.c_str()));
  if (!directory) {
    const int number = errno;
    return PlatformError(number, "cannot list " + folderPath);
  }
  std::vector<std::string> names;
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
    Result<bool> belongs = Belongs(directory.get(), *entry, kind);
    if (!belongs) return belongs.error();
    if (*belongs) names.emplace_back(name);
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
  return names;
}

class StdFolder final : public Folder {
 public:
  explicit StdFolder(std::string path) : path_(std::move(path)) {}

  std::string Name() const override { return OwnName(path_); }

  Result<SharedSubFolders> SubFolders() override {
    Result<std::vector<std::string>> names = List(path_, Kind::kSubFolders);
    if (!names) return names.error();
    auto folders = std::make_shared<FolderCollection>();
    folders->reserve(names->size());
    for (std::string& name : *names) folders->emplace_back(std::move(name));
    return SharedSubFolders(std::move(folders));
  }

  Result<SharedFiles> Files() override {
    Result<std::vector<std::string>> names = List(path_, Kind::kFiles);
    if (!names) return names.error();
    auto files = std::make_shared<FileCollection>();
    files->reserve(names->size());
    for (std::string& name : *names) files->emplace_back(std::move(name));
    return SharedFiles(std::move(files));
  }

 private:
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
    return std::unique_ptr<Folder>(std::make_unique<StdFolder>(path));
  }
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
