#include "walk/Wildcard.h"

#include <cstdint>
#include <vector>

namespace plenwick::walk {
namespace {

// The code point at i (a lone byte that is not valid UTF-8 stands for itself), and its length.
std::uint32_t Decode(std::string_view s, std::size_t i, std::size_t& length) {
  const auto c = static_cast<unsigned char>(s[i]);
  std::size_t n = c < 0x80           ? 1
                  : (c >> 5) == 0x6  ? 2
                  : (c >> 4) == 0xE  ? 3
                  : (c >> 3) == 0x1E ? 4
                                     : 1;
  if (i + n > s.size()) n = 1;
  std::uint32_t cp = n == 1 ? c : c & (0x7Fu >> n);
  for (std::size_t k = 1; k < n; ++k) {
    const auto next = static_cast<unsigned char>(s[i + k]);
    if ((next & 0xC0) != 0x80) {
      length = 1;
      return c;
    }
    cp = (cp << 6) | (next & 0x3Fu);
  }
  length = n;
  return cp;
}

// Matches the set starting at pattern[p] == '[' against cp; sets p past the set. A '[' without
// its ']' is an ordinary character, as in the shell.
bool MatchSet(std::string_view pattern, std::size_t& p, std::uint32_t cp, bool& isSet) {
  std::size_t i = p + 1;
  bool negate = false;
  if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^')) {
    negate = true;
    ++i;
  }
  bool matched = false;
  bool first = true;
  while (i < pattern.size() && (first || pattern[i] != ']')) {
    first = false;
    std::size_t length = 0;
    if (pattern[i] == '\\' && i + 1 < pattern.size()) ++i;
    const std::uint32_t low = Decode(pattern, i, length);
    i += length;
    std::uint32_t high = low;
    if (i + 1 < pattern.size() && pattern[i] == '-' && pattern[i + 1] != ']') {
      ++i;
      if (pattern[i] == '\\' && i + 1 < pattern.size()) ++i;
      high = Decode(pattern, i, length);
      i += length;
    }
    if (low <= cp && cp <= high) matched = true;
  }
  if (i >= pattern.size()) {
    isSet = false;
    return false;
  }
  isSet = true;
  p = i + 1;
  return matched != negate;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view text) {
  std::size_t p = 0, t = 0;
  // Where to go back to after the last '*': its pattern position and the text it has taken.
  std::size_t starP = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    std::size_t length = 0;
    const std::uint32_t cp = Decode(text, t, length);
    if (p < pattern.size() && pattern[p] == '*') {
      starP = ++p;
      starT = t;
      continue;
    }
    bool step = false;
    if (p < pattern.size()) {
      if (pattern[p] == '?' && cp != '/') {
        ++p;
        step = true;
      } else if (pattern[p] == '[' && cp != '/') {
        bool isSet = false;
        std::size_t after = p;
        const bool inSet = MatchSet(pattern, after, cp, isSet);
        if (isSet) {
          if (inSet) {
            p = after;
            step = true;
          }
        } else if (cp == '[') {
          ++p;
          step = true;
        }
      } else {
        std::size_t q = p;
        if (pattern[q] == '\\' && q + 1 < pattern.size()) ++q;
        std::size_t patternLength = 0;
        if (Decode(pattern, q, patternLength) == cp && pattern[p] != '[') {
          p = q + patternLength;
          step = true;
        }
      }
    }
    if (step) {
      t += length;
      continue;
    }
    // A '*' takes one more character, never a '/'.
    if (starP == std::string_view::npos) return false;
    std::size_t taken = 0;
    const std::uint32_t first = Decode(text, starT, taken);
    if (first == '/') return false;
    starT += taken;
    t = starT;
    p = starP;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool ExcludedBy(std::string_view pattern, std::string_view relativePath) {
  if (pattern.empty()) return false;
  const bool wholePath = pattern.find('/') != std::string_view::npos;
  std::size_t start = 0;
  while (start <= relativePath.size()) {
    std::size_t slash = relativePath.find('/', start);
    if (slash == std::string_view::npos) slash = relativePath.size();
    const std::string_view candidate =
        wholePath ? relativePath.substr(0, slash) : relativePath.substr(start, slash - start);
    if (WildcardMatch(pattern, candidate)) return true;
    start = slash + 1;
  }
  return false;
}

}  // namespace plenwick::walk
