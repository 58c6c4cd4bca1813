// Text crosses into Win32 as UTF-16 and comes back as UTF-8; this is the one place that converts,
// so the rest of the program never sees a wide character.
#pragma once

#include <string>
#include <string_view>

namespace plenwick::shell {

// Ill-formed UTF-8 becomes U+FFFD rather than failing: a text shown to the user must show.
std::wstring Utf16(std::string_view utf8);
// An unpaired surrogate (possible in Windows names) becomes U+FFFD.
std::string Utf8(std::wstring_view utf16);

}  // namespace plenwick::shell
