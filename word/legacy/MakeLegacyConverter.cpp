#include "word/legacy/LegacyConverter.h"
#include "word/legacy/UnavailableConverter.h"

#if PLENWICK_WITH_LIBREOFFICE
#include "word/legacy/LibreOfficeConverter.h"
#endif

namespace plenwick::word::legacy {

std::unique_ptr<LegacyConverter> MakeLegacyConverter() {
#if PLENWICK_WITH_LIBREOFFICE
  return MakeLibreOfficeConverter();
#else
  return MakeUnavailableConverter();
#endif
}

}  // namespace plenwick::word::legacy
