// Walks a folder tree breadth-first and collects its files into shared keyed collections.
// (Declaration agreed with the join run; the walker's owner fills in the rest.)
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/Result.h"
#include "shell/ShellServices.h"
#include "walk/FileSystem.h"
#include "walk/KeyedCollection.h"

namespace plenwick::walk {

class pathLogger {
 public:
  // fileSystems makes the file-system object that PathLogInit creates; messages shows the
  // permission message. Both must outlive the walker.
  pathLogger(FileSystemFactory fileSystems, shell::MessageBoxService& messages);

  Status PathLogInit();
  void LogPath(std::string_view strPARENT);
  std::int32_t Count() const;
  void Terminate();
  void fullFileNamesOnly(bool fullPath);
  bool fullFileNamesOnly() const;
  SharedTexts fileNames();
  SharedTexts pathNames();
  SharedNumbers pathPointers();
  SharedTexts fullFileNames();

 private:
  // ... members as the walker needs them
};

}  // namespace plenwick::walk
