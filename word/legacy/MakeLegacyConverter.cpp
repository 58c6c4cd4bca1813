#include "word/legacy/LegacyConverter.h"
#include "word/legacy/UnavailableConverter.h"

namespace plenwick::word::legacy {

std::unique_ptr<LegacyConverter> MakeLegacyConverter() {
  return MakeUnavailableConverter();
}

}  // namespace plenwick::word::legacy
