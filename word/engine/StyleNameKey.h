// The key under which a style's name is taken in the result.
#pragma once

#include <string>
#include <string_view>

namespace plenwick::word::engine {

// A style name folded as the result's names are compared, with the names a word processor reads
// as one style brought together: LibreOffice imports Word's "Body Text" as its own "Text body",
// so a later document's "Text Body" (as LibreOffice writes it) took over the earlier document's
// body text, size and indents included. Two styles with the same key never both keep their
// names in the result.
std::string StyleNameKey(std::string_view name);

}  // namespace plenwick::word::engine
