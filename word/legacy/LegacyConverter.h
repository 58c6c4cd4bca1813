// Converts legacy word-processing files (Word 97-2003 and older, RTF, Word 2003 XML, HTML or text
// saved as .doc) to OOXML, so the engine can append them like any .docx.
#pragma once

#include <memory>
#include <string>

#include "base/Result.h"
#include "word/WordApi.h"

namespace plenwick::word::legacy {

class LegacyConverter {
 public:
  virtual ~LegacyConverter() = default;
  // Writes an OOXML (.docx) rendering of sourcePath to docxPath. Fails with a reason a person
  // can read (word::wordc codes): protected, damaged, not a word-processing file, timed out,
  // converter missing.
  virtual Status ConvertToDocx(const std::string& sourcePath, const std::string& docxPath) = 0;
  // Renders an OOXML document to PDF at pdfPath, its bookmarks as named destinations. Only a
  // converter with an office of its own can; the others fail with kConverterMissing.
  virtual Status ExportPdf(const std::string& docxPath, const std::string& pdfPath) {
    (void)docxPath;
    (void)pdfPath;
    return MakeError(wordc::kConverterMissing,
                     "PDF needs LibreOffice, which this build cannot use");
  }
};

// The converter for this build: LibreOffice-backed when available, otherwise one whose every
// conversion fails with a reason that says what to install. Created lazily by the engine; the
// converter starts its process on first use and ends it when destroyed.
std::unique_ptr<LegacyConverter> MakeLegacyConverter();

}  // namespace plenwick::word::legacy
