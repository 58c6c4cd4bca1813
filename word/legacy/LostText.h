// Tells a conversion that lost a document's text from one of a document that has none: the office
// may read a damaged file as one empty paragraph and call that a success.
#pragma once

#include <string>
#include <string_view>

#include "base/Result.h"
#include "word/legacy/FormatSniffer.h"

namespace plenwick::word::legacy {

// Whether the RTF shows any character a reader would see: text outside control words and outside
// the groups that hold no body text (font and colour tables, style sheets, document information,
// pictures, objects, "\*" destinations).
bool RtfShowsText(std::string_view rtf);

// Whether the source, of the sniffed format, surely holds visible text. Formats this cannot tell
// cheaply (the Word binaries, web pages) answer false: they are never held against a conversion.
bool SourceShowsText(const std::string& path, const SniffResult& sniff);

// Whether the converted package's main text holds anything: a visible character, a picture, a
// drawing, an embedded object, an equation or a table.
Result<bool> DocxHoldsContent(const std::string& docxPath);

}  // namespace plenwick::word::legacy
