// Text crosses into COM as UTF-16 and comes back as UTF-8: the one conversion the automation
// client uses for paths, member names and Word's error descriptions.
#pragma once

#include <string>
#include <string_view>

namespace plenwick::word::automation {

// Invalid UTF-8 becomes U+FFFD rather than failing: a path that cannot be spelled in UTF-16 then
// names no file, and Word reports that file as missing.
std::wstring ToUtf16(std::string_view utf8);
std::string ToUtf8(std::wstring_view utf16);

}  // namespace plenwick::word::automation
