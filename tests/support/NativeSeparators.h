// Tests write paths with "/"; the program joins them with its platform's separator ("\" on
// Windows). Expectations go through these, so one test text holds on every platform.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "shell/FolderPath.h"

namespace plenwick::test {

// "a/b/c" with the platform's separator.
inline std::string NativeSeparators(std::string path) {
  std::replace(path.begin(), path.end(), '/', shell::kFolderSeparator);
  return path;
}

// Every text of a list, as above: paths, and messages or logged calls that name paths.
inline std::vector<std::string> NativeSeparators(std::vector<std::string> texts) {
  for (std::string& text : texts) text = NativeSeparators(std::move(text));
  return texts;
}

}  // namespace plenwick::test
