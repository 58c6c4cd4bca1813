#include "join/DocumentTest.h"

#include <string>

namespace plenwick::join {
namespace {

// Only ASCII letters change case: the suffixes compared are ASCII, and bytes of UTF-8 sequences
// must stay as they are.
char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool IsWordDocument(std::string_view path) {
  const auto first = path.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  const auto last = path.find_last_not_of(' ');
  const std::string_view trimmed = path.substr(first, last - first + 1);
  std::string lower;
  lower.reserve(trimmed.size());
  for (const char c : trimmed) lower.push_back(LowerAscii(c));
  const std::string_view name = lower;
  return name.ends_with(".doc") || name.ends_with(".docx");
}

}  // namespace plenwick::join
