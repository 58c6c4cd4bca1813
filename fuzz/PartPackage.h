// Builds word-processing packages around fuzzed parts, so that mutated XML reaches the engine
// instead of failing the reader's CRC checks. The input is split on NUL bytes (which XML never
// holds) into fields; each run of kFuzzedParts.size() fields is one document, its parts in the
// order of kFuzzedParts. An empty field leaves its part out. The rest of each package is a fixed
// skeleton: content types, package relationships, and notes, comments, headers, footers, a font
// table and a picture that fuzzed relationships may point at.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plenwick::fuzz {

inline constexpr std::array<const char*, 6> kFuzzedParts = {
    "word/document.xml",     "word/styles.xml",
    "word/numbering.xml",    "word/_rels/document.xml.rels",
    "word/theme/theme1.xml", "word/settings.xml"};

std::vector<std::string_view> SplitFields(std::string_view input);

// The package for one document; fields beyond kFuzzedParts.size() are ignored.
std::string BuildPackage(std::span<const std::string_view> fields);

}  // namespace plenwick::fuzz
