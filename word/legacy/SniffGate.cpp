#include "word/legacy/SniffGate.h"

#include "word/legacy/LegacyErrors.h"

namespace plenwick::word::legacy {

Result<SniffResult> SniffForConversion(const std::string& sourcePath) {
  auto sniff = SniffFile(sourcePath);
  if (!sniff) return sniff.error();
  if (sniff->format == LegacyFormat::kOoxmlPackage) {
    return MakeError(codes::kUnsupported, "an OOXML package needs no conversion");
  }
  if (!sniff->Convertible()) return sniff->reason;
  return sniff;
}

std::string InstallHint(const std::string& description) {
  return description + ": install LibreOffice (Debian package libreoffice-writer-nogui) to join it";
}

}  // namespace plenwick::word::legacy
