// Settings of the result document.
#pragma once

#include <pugixml.hpp>

namespace plenwick::word::engine {

struct AppendContext;

// Takes the first document's settings for the result (into the staging area).
void AdoptSettings(AppendContext& ctx);
// Odd and even pages get their own headers when any appended document asked for it.
void ApplyEvenAndOddHeaders(pugi::xml_document& settings, bool on);

}  // namespace plenwick::word::engine
