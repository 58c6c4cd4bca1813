// Small but complete .docx files for tests that need real Word documents: one paragraph per text,
// on a page of its own size, written through the package layer. And the way back: the text of a
// document's main part, to check what a join put where.
#pragma once

#include <string>
#include <vector>

#include "base/Result.h"

namespace plenwick::test {

// A paragraph that is just "\f" is a page break.
Status WriteMiniDocx(const std::string& path, const std::vector<std::string>& paragraphs);

// The concatenated text of every w:t of word/document.xml, paragraphs separated by "\n".
Result<std::string> DocumentText(const std::string& path);

}  // namespace plenwick::test
