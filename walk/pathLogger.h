// Walks a folder tree breadth-first and collects its files into shared keyed collections.
//
// The folder list pathNames is also the walk's queue: the root under "K0", then every folder in
// walk order under K2, K3, ... Files are numbered K1, K2, ... across the whole walk, and Count
// reads one more than the number of files collected. LogPath never reports a failure: a folder
// that cannot be listed is left out and named in unreadFolders, and the walk goes on with the
// rest of the tree (a permission failure also shows one message per walk). Only a failure of the
// walk itself (memory, keys, counters) ends it; what was collected until then stays.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "shell/ShellServices.h"
#include "walk/FileSystem.h"
#include "walk/KeyedCollection.h"

namespace plenwick::walk {

// The message a permission failure during a walk shows (information icon, one OK button).
inline constexpr std::string_view kSelectStoreFolderMessage = "Please Select Correct Store Folder.";

// A folder of the tree that could not be listed, and why; its files and subfolders are not in
// the walk.
struct UnreadFolder {
  std::string path;
  Error reason;
};

class pathLogger {
 public:
  // fileSystems makes the file-system object that PathLogInit creates; messages shows the
  // permission message. messages must outlive the walker.
  pathLogger(FileSystemFactory fileSystems, shell::MessageBoxService& messages);
  pathLogger(const pathLogger&) = delete;
  pathLogger& operator=(const pathLogger&) = delete;

  // Makes a fresh file-system object, sets fullFileNamesOnly and lets go of the collections
  // (holders elsewhere keep theirs). Fails, changing nothing, when no file-system object can be
  // made.
  Status PathLogInit();
  void LogPath(std::string_view strPARENT);
  std::int32_t Count() const;
  // Lets go of everything the walker holds; Count and the flag keep their values.
  void Terminate();
  void fullFileNamesOnly(bool fullPath);
  bool fullFileNamesOnly() const;
  // Each returns the walker's collection, creating an empty one when it has none.
  SharedTexts fileNames();
  SharedTexts pathNames();
  SharedNumbers pathPointers();
  SharedTexts fullFileNames();
  // The folders the last walk could not list, in walk order.
  const std::vector<UnreadFolder>& unreadFolders() const { return unreadFolders_; }
  // Links to folders met by the last walk, which it did not enter, as full paths in walk order.
  const std::vector<std::string>& linkedFolders() const { return linkedFolders_; }

 private:
  static std::string EnsureBackslash(std::string_view strFolder);
  // The walk itself; the first failure ends it and is returned for LogPath to sort out.
  Status Walk(std::string_view strPARENT);
  Status ProcessFolder(std::int32_t cursor, std::int32_t& queued);
  // Leaves a folder out of the walk and names it; the walk goes on.
  Status SkipFolder(std::string path, Error reason);

  FileSystemFactory fileSystems_;
  shell::MessageBoxService& messages_;

  std::unique_ptr<FileSystem> fileSystem;
  SharedFiles currentFiles;
  std::shared_ptr<const File> currentFile;
  SharedSubFolders currentSubFolders;
  std::shared_ptr<const SubFolder> currentSubFolder;
  std::int32_t fileCounter = 0;
  SharedTexts fileNames_;
  SharedNumbers pathPointers_;
  SharedTexts pathNames_;
  SharedTexts fullFileNames_;
  bool fullFileNamesOnly_ = false;
  std::vector<UnreadFolder> unreadFolders_;
  std::vector<std::string> linkedFolders_;
};

}  // namespace plenwick::walk
