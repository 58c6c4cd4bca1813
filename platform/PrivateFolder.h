// A new folder only this user may enter, for a program's scratch files.
#pragma once

#include <string>

namespace plenwick::platform {

// Makes <system temporary folder>/<prefix>XXXXXX with a fresh suffix and returns its UTF-8 path,
// or an empty string when none could be made. POSIX: mkdtemp (mode 0700). Windows: the user's
// own temporary folder, which other users cannot enter.
std::string MakePrivateTempFolder(const std::string& prefix);

}  // namespace plenwick::platform
