#include "word/legacy/ConverterChain.h"
#include "word/legacy/LegacyConverter.h"
#include "word/legacy/UnavailableConverter.h"

#if PLENWICK_WITH_LIBREOFFICE
#include "word/legacy/LibreOfficeConverter.h"
#endif
#if PLENWICK_WITH_WORD_CONVERTER
#include "word/legacy/WordConverter.h"
#endif

namespace plenwick::word::legacy {

std::unique_ptr<LegacyConverter> MakeLegacyConverter() {
  std::vector<std::unique_ptr<LegacyConverter>> converters;
#if PLENWICK_WITH_WORD_CONVERTER
  // Word reads its own old formats best; it starts only when a legacy file comes.
  converters.push_back(MakeWordConverter());
#endif
#if PLENWICK_WITH_LIBREOFFICE
  converters.push_back(MakeLibreOfficeConverter());
#else
  converters.push_back(MakeUnavailableConverter());
#endif
  if (converters.size() == 1) return std::move(converters.front());
  return MakeConverterChain(std::move(converters));
}

}  // namespace plenwick::word::legacy
