// Several converters tried in turn for each file (on Windows: Word, then LibreOffice where it is
// part of the build): the first that converts the file wins. The next one is tried only when the
// one before is missing or failed to convert; a file that is password-protected, damaged or not
// a word-processing file fails at once with that reason.
#pragma once

#include <memory>
#include <vector>

#include "word/legacy/LegacyConverter.h"

namespace plenwick::word::legacy {

std::unique_ptr<LegacyConverter> MakeConverterChain(
    std::vector<std::unique_ptr<LegacyConverter>> converters);

}  // namespace plenwick::word::legacy
