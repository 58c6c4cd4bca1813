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

}  // namespace plenwick::shell
