#include "word/legacy/ConverterChain.h"

#include <optional>
#include <utility>

#include "word/legacy/LegacyErrors.h"

namespace plenwick::word::legacy {
namespace {

class ConverterChain final : public LegacyConverter {
 public:
  explicit ConverterChain(std::vector<std::unique_ptr<LegacyConverter>> converters)
      : converters_(std::move(converters)) {}

  Status ConvertToDocx(const std::string& sourcePath, const std::string& docxPath) override {
    // A converter that tried and failed says more than one that is not installed; among the
    // missing ones the first names what this machine would use first.
    std::optional<Error> failed;
    std::optional<Error> missing;
    for (const std::unique_ptr<LegacyConverter>& converter : converters_) {
      Status converted = converter->ConvertToDocx(sourcePath, docxPath);
      if (converted) return converted;
      const Error& reason = converted.error();
      if (reason.code == codes::kConversionFailed) {
        if (!failed) failed = reason;
      } else if (reason.code == codes::kConverterMissing) {
        if (!missing) missing = reason;
      } else {
        return converted;
      }
    }
    if (failed) return *failed;
    if (missing) return *missing;
    return MakeError(codes::kConverterMissing, "no converter for legacy documents in this build");
  }

 private:
  std::vector<std::unique_ptr<LegacyConverter>> converters_;
};

}  // namespace

std::unique_ptr<LegacyConverter> MakeConverterChain(
    std::vector<std::unique_ptr<LegacyConverter>> converters) {
  return std::make_unique<ConverterChain>(std::move(converters));
}

}  // namespace plenwick::word::legacy
