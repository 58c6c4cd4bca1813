// What a drop on the window means: the items a file manager hands over, reduced to the one source
// folder they choose, the same on both platforms.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>

namespace plenwick::form {

// The first dropped item that is a folder, as if chosen with "Browse...", or nothing when no
// item is one. A dropped file does not stand for the folder it lies in: that folder's whole tree
// would be joined, likely far more than the person meant, so files are passed over like anything
// else that is no folder. `isFolder` asks the platform's file system (paths are UTF-8).
std::optional<std::string> DroppedFolder(std::span<const std::string> items,
                                         const std::function<bool(const std::string&)>& isFolder);

}  // namespace plenwick::form
