#include "join/DocumentTest.h"

#include <cstddef>

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
  // Only the end is lowered, in place of a lowered copy of the whole path: a listing tests every
  // file of a tree.
  const auto endsWith = [trimmed](std::string_view suffix) {
    if (trimmed.size() < suffix.size()) return false;
    const std::string_view end = trimmed.substr(trimmed.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
      if (LowerAscii(end[i]) != suffix[i]) return false;
    }
    return true;
  };
  return endsWith(".doc") || endsWith(".docx");
}

}  // namespace plenwick::join
