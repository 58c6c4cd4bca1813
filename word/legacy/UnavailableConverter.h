// The converter of a build or a machine without LibreOffice: it still tells what each file is,
// and fails every legacy file with a reason that says what to install.
#pragma once

#include <memory>

#include "word/legacy/LegacyConverter.h"

namespace plenwick::word::legacy {

std::unique_ptr<LegacyConverter> MakeUnavailableConverter();

}  // namespace plenwick::word::legacy
