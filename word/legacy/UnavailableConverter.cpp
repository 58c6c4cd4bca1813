#include "word/legacy/UnavailableConverter.h"

#include "word/legacy/LegacyErrors.h"
#include "word/legacy/SniffGate.h"

namespace plenwick::word::legacy {
namespace {

class UnavailableConverter final : public LegacyConverter {
 public:
  Status ConvertToDocx(const std::string& sourcePath, const std::string& /*docxPath*/) override {
    auto sniff = SniffForConversion(sourcePath);
    if (!sniff) return sniff.error();
    return MakeError(codes::kConverterMissing, InstallHint(sniff->description));
  }
};

}  // namespace

std::unique_ptr<LegacyConverter> MakeUnavailableConverter() {
  return std::make_unique<UnavailableConverter>();
}

}  // namespace plenwick::word::legacy
