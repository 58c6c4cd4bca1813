// Folder paths as the window and the join run keep them: ending in the separator.
#pragma once

#include <string>

namespace plenwick::shell {

#ifdef _WIN32
inline constexpr char kFolderSeparator = '\\';
#else
inline constexpr char kFolderSeparator = '/';
#endif

// Appends the separator unless the path is empty or already ends in one (the root does), so a
// picked folder can be joined with a file name and the root is never doubled.
inline std::string WithTrailingSeparator(std::string path) {
  if (!path.empty() && path.back() != kFolderSeparator) path.push_back(kFolderSeparator);
  return path;
}

// The folder a file is in, ending in the separator; the path itself when it holds no separator.
inline std::string ParentFolder(const std::string& filePath) {
  const std::size_t last = filePath.rfind(kFolderSeparator);
  return last == std::string::npos ? filePath : filePath.substr(0, last + 1);
}

}  // namespace plenwick::shell
