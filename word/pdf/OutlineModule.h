// What the outline writer module offers the program that loads it. Both sides are built
// together, so plain C++ types cross; only the entry point has C linkage, to be found by name.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "word/pdf/PdfOutline.h"

namespace plenwick::word::pdf {

struct OutlineResult {
  std::map<std::string, int> pages;  // named destination -> page, from 1
  std::string error;                 // empty when the PDF was written
};

using OutlineWriterFn = OutlineResult (*)(const std::string& in,
                                          const std::vector<OutlineEntry>& entries,
                                          const std::string& out);

inline constexpr char kOutlineWriterSymbol[] = "plenwick_pdf_outline_writer";

}  // namespace plenwick::word::pdf
