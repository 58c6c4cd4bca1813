// Reading a document whole. Declared for every platform; ReadFilePosix.cpp and ReadFileWin.cpp
// each read paths of any length through the system's own calls.
#pragma once

#include <cstdint>
#include <string>

#include "base/Result.h"

namespace plenwick::word::engine {

// Larger inputs are refused before they are read.
inline constexpr std::uintmax_t kMaxInputBytes = 2ull << 30;

// The file's bytes; kReadFailed (missing, not a regular file, unreadable, changed while read) or
// kTooLarge otherwise.
Result<std::string> ReadWholeFile(const std::string& path);

}  // namespace plenwick::word::engine
