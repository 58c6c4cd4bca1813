// Settings of the result document.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

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

// The layout settings the result holds once, each taken apart from the others from the
// documents under which most of the result's text was written. Voted on as one set, documents
// without compatibility options that differed only in their decimal symbol split their weight,
// and a document with a twentieth of the text gave its options to all.
class LayoutVote {
 public:
  // Adds a document's settings (as LayoutSettingsOf gives them) and its text's weight. The first
  // document's become the result's; later ones take a setting over with more weight, not on a
  // tie. Returns whether the result's settings changed.
  bool Add(const std::string& signature, std::uint64_t weight, bool first);
  // The result's settings, as ApplyLayoutSettings takes them.
  const std::string& Result() const { return result_; }

 private:
  struct Setting {
    std::map<std::string, std::uint64_t> weights;  // by the value documents state
    std::uint64_t stated = 0;                      // weight of the documents that state it
    std::string value;                             // the result's, "" for none
    int rank = 0;                                  // a compatibility option's place in w:compat
  };
  std::map<std::string, Setting> settings_;  // by name; a compatibility option's within w:compat
  std::vector<std::string> order_;           // the names as first met
  std::uint64_t total_ = 0;
  std::string result_;
};
// The document's settings that change only East Asian text (how its punctuation is compressed,
// its line-breaking rules, compatibility options for East Asian text) as one value.
std::string EastAsianSettingsOf(AppendContext& ctx);
// Puts settings taken by EastAsianSettingsOf into the result's settings.
void ApplyEastAsianSettings(pugi::xml_document& settings, const std::string& signature);
// How many East Asian characters (kana, CJK ideographs and punctuation, Hangul, full-width
// forms) a piece of WordprocessingML holds.
std::uint64_t EastAsianCharacters(std::string_view xml);
// How many bytes of text (w:t) a piece of WordprocessingML holds.
std::uint64_t TextBytes(std::string_view xml);
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
