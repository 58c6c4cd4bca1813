// Private folders of one run in the temporary folder, named "<kind>-<process>-XXXXXX" so that a
// later run can tell those of runs that were killed (and so never removed them) and remove them.
//
// Declared for every platform; the POSIX implementation is RunFolderPosix.cpp.
#pragma once

#include <cstddef>
#include <string>

#include "base/Result.h"

namespace plenwick::word::legacy {

// Makes a new private folder in base. The first call for a kind in this process first removes
// the folders of that kind in base left by runs no longer running.
Result<std::string> MakeRunFolder(const std::string& base, const std::string& kind);

// Removes the folders of kind in base that belong to this user and to a process that has ended;
// returns how many went.
std::size_t RemoveStaleRunFolders(const std::string& base, const std::string& kind);

}  // namespace plenwick::word::legacy
