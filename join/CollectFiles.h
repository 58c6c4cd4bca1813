// The walk every join starts with: the whole tree below the source folder, breadth-first, every
// file of every type, in walk order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "walk/KeyedCollection.h"
#include "walk/pathLogger.h"

namespace plenwick::join {

struct CollectedFiles {
  walk::SharedTexts files;
  // Folders of the tree left out because they could not be listed: the run names them at its end.
  std::vector<walk::UnreadFolder> unreadFolders;
  // Links to folders the walk did not enter (links to folders are never followed): named too.
  std::vector<std::string> linkedFolders;
};

// On walker: PathLogInit, fullFileNamesOnly True, LogPath(source), fullFileNames, Terminate.
// The list outlives the walk. A folder that does not exist ("" included) gives an empty list;
// only a walker that cannot start fails.
Result<CollectedFiles> CollectFiles(walk::pathLogger& walker, std::string_view source);

// The items of files that are Word documents, in order: what a join appends. The views are into
// files, which must outlive them: a listing of a large tree copies no path.
std::vector<std::string_view> DocumentsAmong(const walk::TextCollection& files);

}  // namespace plenwick::join
