// Mends the faults LibreOffice's .docx export is known to write, so a converted file is as
// strict as a Word-written one before the engine appends it: children out of schema order
// (paragraph properties, numbering levels), bookmarks without an end or with a name used twice,
// references to styles that do not exist, impossible drawing sizes, colours and dates, tab
// stops past the edge of their table cell, and the blank line it makes up for a section break
// after a table.
#pragma once

#include <string>

#include "base/Result.h"

namespace plenwick::word::legacy {

// Rewrites the package at docxPath in place; entries it does not change are kept byte for byte.
Status RepairConvertedDocx(const std::string& docxPath);

}  // namespace plenwick::word::legacy
