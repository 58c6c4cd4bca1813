// The file-system layer the walker reaches the disk through: a file-system object that tests
// folders and opens them by path, opened folders that list their immediate subfolders and their
// files separately, and listing entries that know their own names.
//
// Every failure arrives as an Error whose code is an error number; a permission failure is always
// errc::kPermissionDenied (70) and no other failure uses that number, because the walker tells the
// user about that one alone.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/Result.h"
#include "shell/FolderPath.h"

namespace plenwick::walk {

// The platform's path separator; every folder path the walker builds ends in it.
inline constexpr char kPathSeparator = shell::kFolderSeparator;

// An item of a folder's Files: a file known by its own name with its extension, without path.
class File {
 public:
  explicit File(std::string name) : name_(std::move(name)) {}
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
};

// An item of a folder's SubFolders: a folder known by its own name (last path component, no
// separator). The walker opens it again by path when its turn comes.
class SubFolder {
 public:
  explicit SubFolder(std::string name) : name_(std::move(name)) {}
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
};

// Listings are shared, not copied: the walker keeps the current one while it visits its items.
using FileCollection = std::vector<File>;
using FolderCollection = std::vector<SubFolder>;
using SharedFiles = std::shared_ptr<const FileCollection>;
using SharedSubFolders = std::shared_ptr<const FolderCollection>;

// A folder opened by path. Each call lists the folder as it is at that moment, in the layer's
// listing order.
class Folder {
 public:
  virtual ~Folder() = default;
  // The folder's own name (last path component, no separator).
  virtual std::string Name() const = 0;
  virtual Result<SharedSubFolders> SubFolders() = 0;
  virtual Result<SharedFiles> Files() = 0;
  // Links to folders, which SubFolders leaves out: a link cycle could make a walk endless. They
  // are named so that a person learns which folders were not entered. None by default.
  virtual Result<SharedSubFolders> LinkedFolders() {
    return SharedSubFolders(std::make_shared<const FolderCollection>());
  }
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True only for an existing folder; the path is taken exactly as given.
  virtual bool FolderExists(const std::string& path) = 0;
  // Fails when the folder cannot be opened (missing, not a folder, no access, ...).
  virtual Result<std::unique_ptr<Folder>> GetFolder(const std::string& path) = 0;
};

// Makes a new file-system object; may fail (the walker passes that failure on).
using FileSystemFactory = std::function<Result<std::unique_ptr<FileSystem>>()>;

}  // namespace plenwick::walk
