// Part names of a package: how they compare, how they map to ZIP entry names, and how a
// relationship's target becomes the name of the part it points at.
#pragma once

#include <string>
#include <string_view>

#include "base/Result.h"

namespace plenwick::word::package {

// Part names compare case-insensitively (ASCII letters; other characters as they are).
std::string FoldCase(std::string_view name);
bool SameName(std::string_view a, std::string_view b);

// An entry name that stays inside the package: relative, '/'-separated, no empty, "." or ".."
// segments, no backslashes, drive letters or control characters.
bool IsSafeZipName(std::string_view name);

// "word/document.xml" <-> "/word/document.xml".
std::string PartNameFromZip(std::string_view zipName);
std::string ZipNameFromPart(std::string_view partName);

// The relationships part of a part: "/word/document.xml" -> "/word/_rels/document.xml.rels";
// the package's own ("/" or "") -> "/_rels/.rels".
std::string RelsPartFor(std::string_view partName);
// The other way round: "/word/_rels/document.xml.rels" -> "/word/document.xml",
// "/_rels/.rels" -> "/"; "" when the name is not a relationships part.
std::string SourceOfRelsPart(std::string_view relsPartName);

// Resolves an internal relationship target against the part that holds the relationship
// ("/" for the package's own relationships) to an absolute part name. Handles "..", ".",
// absolute targets and percent-encoding; drops a "#fragment". Fails for targets that leave the
// package, are empty, carry a scheme or a backslash.
Result<std::string> ResolveTarget(std::string_view sourcePartName, std::string_view target);

// The relative target that leads from sourcePartName to partName (both absolute), percent-
// encoding what must be: RelativeTarget("/word/document.xml", "/word/media/a.png") = "media/a.png".
std::string RelativeTarget(std::string_view sourcePartName, std::string_view partName);

// The extension of a part name, lower case, without the dot ("" when none).
std::string ExtensionOf(std::string_view partName);

}  // namespace plenwick::word::package
