// The state the window keeps for its join runs, for the life of the window.
#pragma once

#include <memory>
#include <string>

#include "walk/KeyedCollection.h"
#include "walk/pathLogger.h"

namespace plenwick::join {

struct JoinState {
  // The source folder of the next run, ending in a separator when not empty.
  std::string sourceFolder;
  // The window's one walker, created by the first run and reused by every later one.
  std::shared_ptr<walk::pathLogger> walker;
  // The files of the last walk, in walk order; empty before the first run.
  walk::SharedTexts fileList = std::make_shared<walk::TextCollection>();
};

}  // namespace plenwick::join
