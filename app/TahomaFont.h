// Every control of the window is set in "Tahoma". Debian's fonts-wine ships it in a folder that
// fontconfig does not search, so when the system offers no Tahoma the program loads those files
// itself. Without Tahoma the texts would be set in a font with other metrics and overflow their
// fixed-size labels, so a missing Tahoma is an error, never a silent fallback.
#pragma once

#include "base/Result.h"

namespace plenwick::app {

inline constexpr const char* kTahoma = "Tahoma";

// Makes "Tahoma" available to the program's widgets (needs a QGuiApplication). Idempotent.
Status EnsureTahoma();

}  // namespace plenwick::app
