// The parts of a new blank document, as a word processor creates one: one empty paragraph, a
// final section on the paper of the user's locale, and the usual supporting parts.
#pragma once

#include <string>

namespace plenwick::word::engine {

enum class Paper { kA4, kLetter };

// Letter for the territories that use it (US, CA, MX, PH, ...), A4 everywhere else; read from
// LC_ALL, then LC_PAPER, then LANG.
Paper PaperForLocale();
Paper PaperForLocaleName(const std::string& locale);

namespace blank {
std::string SectionProperties(Paper paper);  // <w:sectPr> of the final section
std::string Styles();
std::string Settings();
std::string FontTable();
std::string Theme();
std::string CoreProperties();
std::string AppProperties();
std::string EmptyHeader();
std::string EmptyFooter();
}  // namespace blank

}  // namespace plenwick::word::engine
