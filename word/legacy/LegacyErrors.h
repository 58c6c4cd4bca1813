// The failure codes this layer reports are the Word layer's own.
#pragma once

#include "word/WordApi.h"

namespace plenwick::word::legacy {

namespace codes = ::plenwick::word::wordc;

}  // namespace plenwick::word::legacy
