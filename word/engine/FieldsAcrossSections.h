// Where fields and the blocks around them meet section breaks, LibreOffice lays out (or opens) a
// joined document differently from Word. These state the same content in a shape both read
// alike, before the body's story is rewritten.
#pragma once

#include <pugixml.hpp>

namespace plenwick::word::engine {

// A later document whose first section ends inside an index gets a page break before its first
// paragraph.
void KeepFirstSectionOnItsPage(pugi::xml_node body);

// A content control holding two tables of contents keeps the first; the rest stands after it.
void OneContentsPerControl(pugi::xml_node body);

}  // namespace plenwick::word::engine
