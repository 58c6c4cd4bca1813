#include "word/engine/StyleNameKey.h"

#include <array>
#include <utility>

#include "word/engine/Append.h"

namespace plenwick::word::engine {
namespace {

// LibreOffice's names for Word's built-in styles where they differ from Word's (folded), and the
// Word name each stands for. Names that map to themselves, and the list styles whose mapping has
// changed between LibreOffice versions, are left out.
constexpr std::array<std::pair<std::string_view, std::string_view>, 25> kRendererNames{{
    {"standard", "normal"},
    {"text body", "body text"},
    {"text body indent", "body text indent"},
    {"body text, indented", "body text indent"},
    {"first line indent", "body text first indent"},
    {"internet link", "hyperlink"},
    {"visited internet link", "followedhyperlink"},
    {"footnote", "footnote text"},
    {"endnote", "endnote text"},
    {"footnote characters", "footnote reference"},
    {"endnote characters", "endnote reference"},
    {"contents heading", "toc heading"},
    {"contents 1", "toc 1"},
    {"contents 2", "toc 2"},
    {"contents 3", "toc 3"},
    {"contents 4", "toc 4"},
    {"contents 5", "toc 5"},
    {"contents 6", "toc 6"},
    {"contents 7", "toc 7"},
    {"contents 8", "toc 8"},
    {"contents 9", "toc 9"},
    {"strong emphasis", "strong"},
    {"quotations", "block text"},
    {"addressee", "envelope address"},
    {"sender", "envelope return"},
}};

}  // namespace

std::string StyleNameKey(std::string_view name) {
  std::string key = Fold(name);
  for (const auto& [renderer, word] : kRendererNames) {
    if (key == renderer) return std::string(word);
  }
  return key;
}

}  // namespace plenwick::word::engine
