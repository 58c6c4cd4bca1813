// The file-system layer the walker reaches the disk through (sketch; the walker's owner completes
// it). A permission failure is reported as error number 70 (errc::kPermissionDenied).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Result.h"

namespace plenwick::walk {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool FolderExists(const std::string& path) = 0;
  // Immediate subfolders' own names, in listing order.
  virtual Result<std::vector<std::string>> SubFolderNames(const std::string& folderPath) = 0;
  // Names of the files directly in the folder, in listing order.
  virtual Result<std::vector<std::string>> FileNames(const std::string& folderPath) = 0;
};

using FileSystemFactory = std::function<Result<std::unique_ptr<FileSystem>>()>;

// The platform's path separator ("/" on POSIX systems).
inline constexpr char kPathSeparator = '/';

}  // namespace plenwick::walk
