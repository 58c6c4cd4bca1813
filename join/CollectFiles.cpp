#include "join/CollectFiles.h"

#include "join/DocumentTest.h"

namespace plenwick::join {

Result<walk::SharedTexts> CollectFiles(walk::pathLogger& walker, std::string_view source) {
  if (Status started = walker.PathLogInit(); !started) return started.error();
  walker.fullFileNamesOnly(true);
  walker.LogPath(source);
  walk::SharedTexts files = walker.fullFileNames();
  walker.Terminate();
  return files;
}

std::vector<std::string> DocumentsAmong(const walk::TextCollection& files) {
  std::vector<std::string> documents;
  for (const std::string& path : files) {
    if (IsWordDocument(path)) documents.push_back(path);
  }
  return documents;
}

}  // namespace plenwick::join
