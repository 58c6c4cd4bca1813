// The file format Word is asked to save in, chosen from the name the document is saved under:
// left to itself Word writes its default format (.docx content) whatever the name says.
#pragma once

#include <cstdint>
#include <string_view>

namespace plenwick::word::automation {

// Word's WdSaveFormat values.
inline constexpr std::int32_t kFormatDocument = 0;          // wdFormatDocument: Word 97-2003
inline constexpr std::int32_t kFormatRtf = 6;               // wdFormatRTF
inline constexpr std::int32_t kFormatXmlDocument = 12;      // wdFormatXMLDocument: .docx
inline constexpr std::int32_t kFormatXmlMacroEnabled = 13;  // wdFormatXMLDocumentMacroEnabled
inline constexpr std::int32_t kFormatDocumentDefault = 16;  // wdFormatDocumentDefault
inline constexpr std::int32_t kFormatPdf = 17;              // wdFormatPDF
inline constexpr std::int32_t kFormatOpenDocument = 23;     // wdFormatOpenDocumentText

// The format for a file name by its extension, in any case; Word's default for any other name.
std::int32_t SaveFormatFor(std::string_view path);

}  // namespace plenwick::word::automation
