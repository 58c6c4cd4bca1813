#include "join/CollectFiles.h"

#include "join/DocumentTest.h"

namespace plenwick::join {

Result<CollectedFiles> CollectFiles(walk::pathLogger& walker, std::string_view source) {
  if (Status started = walker.PathLogInit(); !started) return started.error();
  walker.fullFileNamesOnly(true);
  walker.LogPath(source);
  CollectedFiles collected{walker.fullFileNames(), walker.unreadFolders(), walker.linkedFolders()};
  walker.Terminate();
  return collected;
}

std::vector<std::string_view> DocumentsAmong(const walk::TextCollection& files) {
  std::vector<std::string_view> documents;
  documents.reserve(files.Count());
  for (const std::string& path : files) {
    if (IsWordDocument(path)) documents.push_back(path);
  }
  return documents;
}

}  // namespace plenwick::join
