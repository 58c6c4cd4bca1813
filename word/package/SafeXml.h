// Loads XML written by others with pugixml, refusing what a package part never needs and an
// attacker would use: document type declarations (and with them entity declarations).
#pragma once

#include <pugixml.hpp>
#include <string_view>

#include "base/Result.h"

namespace plenwick::word::package {

// Keeps whitespace-only text where it is the only child (a <w:t xml:space="preserve"> </w:t>
// holds a real space).
inline constexpr unsigned kXmlParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

// Parses bytes into doc. Fails with "damaged: <what> in <partName>" for malformed XML, a
// document type declaration, or no root element.
Status LoadXml(pugi::xml_document& doc, std::string_view bytes, std::string_view partName,
               unsigned options = kXmlParseOptions);

// Serialises without indentation, with the declaration Office writes (any declaration node
// in doc is left out).
std::string SaveXml(const pugi::xml_document& doc);

}  // namespace plenwick::word::package
