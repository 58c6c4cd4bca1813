// The check every converter makes before starting any work: only files the sniffer calls
// convertible go on; everything else fails here with its reason.
#pragma once

#include <string>

#include "base/Result.h"
#include "word/legacy/FormatSniffer.h"

namespace plenwick::word::legacy {

Result<SniffResult> SniffForConversion(const std::string& sourcePath);

// "Word 97-2003 document: install LibreOffice (Debian package libreoffice-writer-nogui) to join it"
std::string InstallHint(const std::string& description);

}  // namespace plenwick::word::legacy
