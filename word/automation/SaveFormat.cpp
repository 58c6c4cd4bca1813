#include "word/automation/SaveFormat.h"

#include <string>

namespace plenwick::word::automation {

std::int32_t SaveFormatFor(std::string_view path) {
  const std::size_t dot = path.find_last_of('.');
  const std::size_t separator = path.find_last_of("/\\");
  if (dot == std::string_view::npos || (separator != std::string_view::npos && dot < separator)) {
    return kFormatDocumentDefault;
  }
  std::string extension;
  for (const char c : path.substr(dot + 1)) {
    extension += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  if (extension == "doc") return kFormatDocument;
  if (extension == "docx") return kFormatXmlDocument;
  if (extension == "docm") return kFormatXmlMacroEnabled;
  if (extension == "rtf") return kFormatRtf;
  if (extension == "odt") return kFormatOpenDocument;
  if (extension == "pdf") return kFormatPdf;
  return kFormatDocumentDefault;
}

}  // namespace plenwick::word::automation
