// Settings of the result document.
#pragma once

#include <string>

#include <pugixml.hpp>

namespace plenwick::word::engine {

struct AppendContext;

// Takes the first document's settings for the result (into the staging area).
void AdoptSettings(AppendContext& ctx);
// A document's layout settings (hyphenation, compatibility options) as one value; also notes
// the view it opens in.
std::string LayoutSettingsOf(AppendContext& ctx);
// Puts layout settings taken by LayoutSettingsOf into the result's settings.
void ApplyLayoutSettings(pugi::xml_document& settings, const std::string& signature);
// Endnotes go to the end of each section (each appended document keeps its own at its end).
void PlaceEndnotesAtSectionEnds(pugi::xml_document& settings);
// Odd and even pages get their own headers when any appended document asked for it.
void ApplyEvenAndOddHeaders(pugi::xml_document& settings, bool on);
// The result opens in print layout once its documents asked for different views: LibreOffice
// lays out a document set to open in web layout without the automatic space between paragraphs
// that the others' pages show.
void OpenInPrintLayout(pugi::xml_document& settings);
// Asks Word to update the fields when the result is opened (whose results the engine could not
// know), or stops asking.
void AskToUpdateFields(pugi::xml_document& settings, bool on);
// Word keeps the fonts a document embeds only while its settings ask for them.
void AskForEmbeddedFonts(pugi::xml_document& settings);

}  // namespace plenwick::word::engine
