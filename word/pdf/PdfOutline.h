// The outline (the reader's bookmarks panel) of a PDF the office rendered: one entry for each
// document of a binder, leading to where it starts. The office lists headings there, not the
// places bookmarked, so the outline is made from the named destinations it writes for them.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/Result.h"

namespace plenwick::word::pdf {

struct OutlineEntry {
  std::string title;
  std::string destination;  // a named destination of the PDF
};

// The name LibreOffice gives the named destination of a bookmark: letters and digits as they are,
// every other byte as two upper-case hex digits ("Doc_1" is "Doc5F1"), and a byte beyond ASCII as
// its URL escape so written ("Ü" is "25C3259C").
std::string OfficeDestinationName(const std::string& bookmark);

// Ok when the outline writer, a module loaded on first use, is there to be loaded.
Status OutlineWriterAvailable();

// Writes the PDF at in to out with entries as its whole outline, in order; an entry whose
// destination the PDF lacks is left out. Gives the page (1 for the first) each named destination
// of the PDF leads to.
Result<std::map<std::string, int>> WriteWithOutline(const std::string& in,
                                                    const std::vector<OutlineEntry>& entries,
                                                    const std::string& out);

}  // namespace plenwick::word::pdf
