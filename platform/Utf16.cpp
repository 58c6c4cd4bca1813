#include "platform/Utf16.h"

#include <cstdint>

namespace plenwick::platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point starting at text[at], advancing at; nothing for an invalid sequence (at then
// moves past its first byte).
std::optional<char32_t> NextFromUtf8(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80) return lead;
  int more = 0;
  char32_t point = 0;
  char32_t least = 0;
  if ((lead & 0xE0) == 0xC0) {
    more = 1, point = lead & 0x1Fu, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    more = 2, point = lead & 0x0Fu, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    more = 3, point = lead & 0x07u, least = 0x10000;
  } else {
    return std::nullopt;
  }
  std::size_t next = at;
  for (int i = 0; i < more; ++i, ++next) {
    if (next >= text.size()) return std::nullopt;
    const auto byte = static_cast<unsigned char>(text[next]);
    if ((byte & 0xC0) != 0x80) return std::nullopt;
    point = (point << 6) | (byte & 0x3Fu);
  }
  if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
    return std::nullopt;
  }
  at = next;
  return point;
}

void AppendUtf16(std::u16string& out, char32_t point) {
  if (point < 0x10000) {
    out.push_back(static_cast<char16_t>(point));
  } else {
    point -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (point >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (point & 0x3FF)));
  }
}

void AppendUtf8(std::string& out, char32_t point) {
  const auto byte = [](char32_t bits) {
    return static_cast<char>(static_cast<unsigned char>(bits));
  };
  if (point < 0x80) {
    out.push_back(byte(point));
  } else if (point < 0x800) {
    out.push_back(byte(0xC0 | (point >> 6)));
    out.push_back(byte(0x80 | (point & 0x3F)));
  } else if (point < 0x10000) {
    out.push_back(byte(0xE0 | (point >> 12)));
    out.push_back(byte(0x80 | ((point >> 6) & 0x3F)));
    out.push_back(byte(0x80 | (point & 0x3F)));
  } else {
    out.push_back(byte(0xF0 | (point >> 18)));
    out.push_back(byte(0x80 | ((point >> 12) & 0x3F)));
    out.push_back(byte(0x80 | ((point >> 6) & 0x3F)));
    out.push_back(byte(0x80 | (point & 0x3F)));
  }
}

// The code point starting at text[at], advancing at; nothing for an unpaired surrogate.
std::optional<char32_t> NextFromUtf16(std::u16string_view text, std::size_t& at) {
  const char32_t unit = text[at++];
  if (unit < 0xD800 || unit > 0xDFFF) return unit;
  if (unit >= 0xDC00 || at >= text.size()) return std::nullopt;
  const char32_t low = text[at];
  if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
  ++at;
  return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
}

}  // namespace

std::optional<std::u16string> Utf16FromUtf8(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const std::optional<char32_t> point = NextFromUtf8(utf8, at);
    if (!point) return std::nullopt;
    AppendUtf16(out, *point);
  }
  return out;
}

std::optional<std::string> Utf8FromUtf16(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t at = 0; at < utf16.size();) {
    const std::optional<char32_t> point = NextFromUtf16(utf16, at);
    if (!point) return std::nullopt;
    AppendUtf8(out, *point);
  }
  return out;
}

std::string Utf8FromUtf16Lossy(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t at = 0; at < utf16.size();) {
    AppendUtf8(out, NextFromUtf16(utf16, at).value_or(kReplacement));
  }
  return out;
}

}  // namespace plenwick::platform
