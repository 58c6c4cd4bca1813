// The order folder listings come in: the order a person sees in a file manager, and the same on
// every machine whatever its locale.
#pragma once

#include <string_view>

namespace plenwick::walk {

// Compares two UTF-8 names: letters without regard to case, runs of ASCII digits by their value
// ("Chapter 2.docx" before "Chapter 10.docx"), everything else by code point. Names that still tie
// ("a" and "A", "7" and "007") are ordered by their bytes, so distinct names never compare equal.
// Bytes that are not valid UTF-8 sort after every character. Returns <0, 0 or >0.
int NaturalCompare(std::string_view a, std::string_view b);

inline bool NaturalLess(std::string_view a, std::string_view b) {
  return NaturalCompare(a, b) < 0;
}

}  // namespace plenwick::walk
