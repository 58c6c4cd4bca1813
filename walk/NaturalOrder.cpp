#include "walk/NaturalOrder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace plenwick::walk {
namespace {

// Invalid bytes decode to values above every code point, so they sort last but stay distinct.
constexpr char32_t kInvalidBase = 0x110000;

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0U) == 0x80U;
}

// Decodes the character at text[at] and moves at past it. Only shortest forms of scalar values
// count as valid; anything else yields one invalid byte.
char32_t Decode(std::string_view text, std::size_t& at) {
  const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byteAt(at);
  if (lead < 0x80U) {
    ++at;
    return lead;
  }
  std::size_t length = 0;
  unsigned char low = 0x80U;
  unsigned char high = 0xBFU;
  char32_t value = 0;
  if (lead >= 0xC2U && lead <= 0xDFU) {
    length = 2;
    value = lead & 0x1FU;
  } else if (lead >= 0xE0U && lead <= 0xEFU) {
    length = 3;
    value = lead & 0x0FU;
    if (lead == 0xE0U) low = 0xA0U;   // overlong
    if (lead == 0xEDU) high = 0x9FU;  // surrogates
  } else if (lead >= 0xF0U && lead <= 0xF4U) {
    length = 4;
    value = lead & 0x07U;
    if (lead == 0xF0U) low = 0x90U;   // overlong
    if (lead == 0xF4U) high = 0x8FU;  // beyond U+10FFFF
  }
  if (length == 0 || at + length > text.size()) {
    ++at;
    return kInvalidBase + lead;
  }
  const unsigned char second = byteAt(at + 1);
  if (second < low || second > high) {
    ++at;
    return kInvalidBase + lead;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byteAt(at + i);
    if (!IsContinuation(next)) {
      ++at;
      return kInvalidBase + lead;
    }
    value = (value << 6) | (next & 0x3FU);
  }
  at += length;
  return value;
}

// Simple case folding to lower case for the scripts names are most often written in (Latin,
// Greek, Cyrillic). A fixed table rather than the C library's, which depends on the locale.
char32_t Fold(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    if (c == 0x178) return 0xFF;
    const bool pairsStartEven = c < 0x139 || (c >= 0x14A && c <= 0x177);
    const bool isUpper = pairsStartEven ? (c % 2 == 0) : (c % 2 == 1);
    return isUpper ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 0x25;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 0x3F;
  if (c == 0x3C2) return 0x3C3;  // final sigma
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

// The letter an accented Latin letter (already folded) is written with, so "Ärger" sorts among
// the a's as in a file manager; accents then only break ties. Indexed from U+00E0; '.' keeps the
// character as it is.
constexpr std::string_view kLatinBase =
    "aaaaaa.c"
    "eeeeiiii"
    "dnooooo."
    "ouuuuy.y"  // U+00E0
    "aaaaaacc"
    "ccccccdd"
    "ddeeeeee"
    "eeeegggg"  // U+0100
    "gggghhhh"
    "iiiiiiii"
    "ii..jjkk"
    ".lllllll"  // U+0120
    "lllnnnnn"
    "nn..oooo"
    "oo..rrrr"
    "rrssssss"  // U+0140
    "sstttttt"
    "uuuuuuuu"
    "uuuuwwyy"
    "yzzzzzzs";

char32_t Base(char32_t c) {
  if (c >= 0xE0 && c < 0xE0 + kLatinBase.size()) {
    const char base = kLatinBase[c - 0xE0];
    return base == '.' ? c : static_cast<char32_t>(base);
  }
  switch (c) {
    case 0x3AC:
      return 0x3B1;  // Greek letters with tonos
    case 0x3AD:
      return 0x3B5;
    case 0x3AE:
      return 0x3B7;
    case 0x3AF:
      return 0x3B9;
    case 0x3CC:
      return 0x3BF;
    case 0x3CD:
      return 0x3C5;
    case 0x3CE:
      return 0x3C9;
    case 0x451:
      return 0x435;  // Cyrillic io sorts with ie
    default:
      return c;
  }
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Compares the digit runs starting at a[i] and b[j] by value and moves both past their runs.
int CompareNumbers(std::string_view a, std::size_t& i, std::string_view b, std::size_t& j) {
  while (i < a.size() && a[i] == '0') ++i;
  while (j < b.size() && b[j] == '0') ++j;
  const std::size_t startA = i;
  const std::size_t startB = j;
  while (i < a.size() && IsDigit(a[i])) ++i;
  while (j < b.size() && IsDigit(b[j])) ++j;
  // Without leading zeros the longer run is the larger number; runs may exceed any integer type.
  if (i - startA != j - startB) return i - startA < j - startB ? -1 : 1;
  const int digits = a.substr(startA, i - startA).compare(b.substr(startB, j - startB));
  return digits < 0 ? -1 : (digits > 0 ? 1 : 0);
}

char32_t AsciiLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? char32_t{c} + 0x20 : char32_t{c};
}

// One pass over both names from start: digit runs by value, other characters through the given
// mapping (which leaves ASCII letters lower-cased, so ASCII needs no decoding).
template <typename Key>
int CompareBy(std::string_view a, std::string_view b, std::size_t start, Key key) {
  std::size_t i = start;
  std::size_t j = start;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      if (const int byValue = CompareNumbers(a, i, b, j); byValue != 0) return byValue;
      continue;
    }
    const auto leftByte = static_cast<unsigned char>(a[i]);
    const auto rightByte = static_cast<unsigned char>(b[j]);
    char32_t left = 0;
    char32_t right = 0;
    if (leftByte < 0x80U && rightByte < 0x80U) {
      left = AsciiLower(leftByte);
      right = AsciiLower(rightByte);
      ++i;
      ++j;
    } else {
      left = key(Decode(a, i));
      right = key(Decode(b, j));
    }
    if (left != right) return left < right ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

// Where the names first differ, moved back to the start of the character and of the digit run it
// falls in. Before it both names read the same at every level, so comparing may start there:
// names in one folder often share a long beginning ("Chapter ...").
std::size_t SharedStart(std::string_view a, std::string_view b) {
  const std::size_t limit = std::min(a.size(), b.size());
  std::size_t p = 0;
  while (p < limit && a[p] == b[p]) ++p;
  const auto continues = [&](std::size_t at) {
    return (at < a.size() && IsContinuation(static_cast<unsigned char>(a[at]))) ||
           (at < b.size() && IsContinuation(static_cast<unsigned char>(b[at])));
  };
  for (;;) {
    const std::size_t before = p;
    while (p > 0 && IsDigit(a[p - 1])) --p;
    while (p > 0 && continues(p)) --p;
    if (p == before) return p;
  }
}

}  // namespace

namespace detail {

// The key: the name as the first comparison level sees it, a zero byte, then the name's bytes for
// the last level (ASCII has no accents, so the middle level sees what the first does). In the
// first part letters are lower-cased and each digit run, leading zeros dropped, becomes its
// length and then its digits, so runs compare by value. The length is a digit character ('0'
// to '8', or '9' and four bytes for nine digits or more), so that a run sorts against any other
// character as its first digit does. Names hold no zero byte, so a name that is a beginning of
// another at the first level sorts first, as NaturalCompare has it. A run of n digits takes at
// most 2n bytes (n + 1, or n + 5 from nine on), so a key takes at most AsciiSortKeyBound.
char* WriteAsciiSortKey(std::string_view name, char* out) {
  if (std::any_of(name.begin(), name.end(),
                  [](char c) { return static_cast<unsigned char>(c) >= 0x80U; })) {
    return nullptr;
  }
  for (std::size_t i = 0; i < name.size();) {
    if (!IsDigit(name[i])) {
      *out++ = static_cast<char>(AsciiLower(static_cast<unsigned char>(name[i])));
      ++i;
      continue;
    }
    while (i < name.size() && name[i] == '0') ++i;
    const std::size_t digits = i;
    while (i < name.size() && IsDigit(name[i])) ++i;
    const std::size_t length = i - digits;
    if (length < 9) {
      *out++ = static_cast<char>('0' + length);
    } else {
      *out++ = '9';
      for (int shift = 24; shift >= 0; shift -= 8) {
        *out++ = static_cast<char>((static_cast<std::uint32_t>(length) >> shift) & 0xFFU);
      }
    }
    out = std::copy_n(name.data() + digits, length, out);
  }
  *out++ = '\0';
  return std::copy_n(name.data(), name.size(), out);
}

}  // namespace detail

int NaturalCompare(std::string_view a, std::string_view b) {
  // Base letters first, then accents, then the bytes, so only identical names compare equal.
  const std::size_t start = SharedStart(a, b);
  const int letters = CompareBy(a, b, start, [](char32_t c) { return Base(Fold(c)); });
  if (letters != 0) return letters;
  if (const int accents = CompareBy(a, b, start, Fold); accents != 0) return accents;
  const int bytes = a.compare(b);
  return bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
}

}  // namespace plenwick::walk
