// Which collected files the run joins: those whose path, lower-cased and with its leading and
// trailing spaces removed, ends in ".doc" or ".docx". Report.DOC and Notes.Docx count; a.docm,
// a.dot, a.doc.bak and a.rtf do not.
#pragma once

#include <string_view>

namespace plenwick::join {

bool IsWordDocument(std::string_view path);

}  // namespace plenwick::join
