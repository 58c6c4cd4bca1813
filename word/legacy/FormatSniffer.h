// Tells by content, never by name, what a file handed to the converter is, and whether the
// converter may try it: Word binaries of every age, RTF, Word 2003 XML, HTML and plain text are
// convertible; encrypted files, other Office files and anything else fail with a reason.
#pragma once

#include <string>

#include "base/Result.h"
#include "word/legacy/ByteSource.h"

namespace plenwick::word::legacy {

enum class LegacyFormat {
  kWord97,  // Word 97-2003 binary (WordDocument stream, FIB 0xA5EC)
  kWord6,   // Word 6.0/95 binary (WordDocument stream, FIB 0xA5DC)
  kWord2,   // Word for Windows 1.x/2.0, not a compound file
  kRtf,
  kWordXml2003,  // Word 2003 XML ("WordprocessingML 2003")
  kHtml,         // HTML ("web page" saved as .doc)
  kWebArchive,   // MHTML ("single file web page")
  kPlainText,
  kOoxmlPackage,  // a ZIP package: the engine reads it directly
  kRejected,      // not convertible; see SniffResult::reason
};

struct SniffResult {
  LegacyFormat format = LegacyFormat::kRejected;
  std::string description;  // what the file is, for messages: "Word 97-2003 document"
  // For kPlainText: the character set the text is in, as the converter names it ("UTF8",
  // "UNICODE" for UTF-16 with a byte-order mark, "MS_1252" for an 8-bit legacy code page).
  std::string textCharset;
  // For kRejected: why, as Error (word::wordc code and a reason a person can read).
  Error reason;

  bool Convertible() const {
    return format != LegacyFormat::kRejected && format != LegacyFormat::kOoxmlPackage;
  }
};

SniffResult SniffSource(ByteSource& source);
// Fails only when the file cannot be read at all.
Result<SniffResult> SniffFile(const std::string& path);

}  // namespace plenwick::word::legacy
