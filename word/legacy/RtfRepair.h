// Writers that get RTF's \bin wrong: "\bin" with no byte count, followed by the picture in hex.
// A missing count means zero raw bytes, so the hex that follows is ordinary picture data; the
// office refuses such files outright, so the bare control word is dropped before conversion.
#pragma once

#include <string>
#include <string_view>

#include "base/Result.h"

namespace plenwick::word::legacy {

// Returns rtf with every \bin that has no byte count removed; everything else, the raw bytes of
// a counted \binN included, is copied unchanged.
std::string DropUncountedBin(std::string_view rtf);

// Copies the RTF file at sourcePath to destPath, repaired as above.
Status CopyRtfRepaired(const std::string& sourcePath, const std::string& destPath);

}  // namespace plenwick::word::legacy
