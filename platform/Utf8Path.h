// std::filesystem paths from and to the core's UTF-8 strings. On Windows a path made from a
// narrow string is read in the ANSI code page, which mangles every name outside it: paths cross
// into std::filesystem here and nowhere else.
#pragma once

#include <filesystem>
#include <string>

namespace plenwick::platform {

// A path naming exactly the UTF-8 text given. Text that is not UTF-8 gives a path that names
// nothing (each bad byte becomes U+FFFD), so using it fails as "not found".
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace plenwick::platform
