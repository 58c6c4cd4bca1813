// Unpacks a web archive (MHTML, Word's "single file web page", often saved as .doc) into its
// HTML page and the pictures it holds, since the office reads plain HTML only. References to
// the pictures are pointed at the unpacked files; nothing is fetched.
#pragma once

#include <filesystem>
#include <string>

#include "base/Result.h"

namespace plenwick::word::legacy {

// Writes dir/page.htm and dir/page-files/*; returns the page's path.
Result<std::filesystem::path> UnpackMhtml(const std::string& mhtmlPath,
                                          const std::filesystem::path& dir);

}  // namespace plenwick::word::legacy
