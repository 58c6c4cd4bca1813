#include "walk/StdFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "walk/NaturalOrder.h"

namespace plenwick::walk {
namespace {

namespace fs = std::filesystem;

Error PlatformError(const std::error_code& error, const std::string& what) {
  return MakeError(FileSystemErrorNumber(error), what + ": " + error.message());
}

// An entry that disappeared between reading the folder and looking at the entry is simply not
// listed: the listing shows the folder as it is.
bool Vanished(const std::error_code& error) {
  return error == std::errc::no_such_file_or_directory;
}

std::string OwnName(const std::string& path) {
  const std::size_t end = path.find_last_not_of(kPathSeparator);
  if (end == std::string::npos) return {};
  const std::size_t separator = path.find_last_of(kPathSeparator, end);
  const std::size_t start = separator == std::string::npos ? 0 : separator + 1;
  return path.substr(start, end + 1 - start);
}

enum class Kind { kSubFolders, kFiles };

// Whether entry belongs in a listing of the given kind. A failure to examine the entry is passed
// on, except for an entry that vanished meanwhile or a link whose target cannot be reached.
Result<bool> Belongs(const fs::directory_entry& entry, Kind kind) {
  std::error_code error;
  const bool link = entry.is_symlink(error);
  if (error) {
    if (Vanished(error)) return false;
    return PlatformError(error, "cannot examine " + entry.path().native());
  }
  if (kind == Kind::kSubFolders) {
    if (link) return false;
    const bool folder = entry.is_directory(error);
    if (error) {
      if (Vanished(error)) return false;
      return PlatformError(error, "cannot examine " + entry.path().native());
    }
    return folder;
  }
  const bool regular = entry.is_regular_file(error);
  if (error) {
    // A broken link, a link loop or a target out of reach: nothing there that could be read.
    if (link || Vanished(error)) return false;
    return PlatformError(error, "cannot examine " + entry.path().native());
  }
  return regular;
}

// The own names of the folder's entries of one kind, in listing order.
Result<std::vector<std::string>> List(const std::string& folderPath, Kind kind) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator entry(fs::path(folderPath), error), end; !error && entry != end;
       entry.increment(error)) {
    Result<bool> belongs = Belongs(*entry, kind);
    if (!belongs) return belongs.error();
    if (*belongs) names.push_back(OwnName(entry->path().native()));
  }
  if (error) return PlatformError(error, "cannot list " + folderPath);
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
