// UTF-8 <-> UTF-16, the one conversion between the core's paths (UTF-8 std::string) and the
// wide-character file-system API of Windows. Plain C++, so it is tested on every platform.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plenwick::platform {

// Strict: nothing for text that is not valid UTF-8 (overlong forms, surrogates, cut sequences).
std::optional<std::u16string> Utf16FromUtf8(std::string_view utf8);
// Strict: nothing for text holding an unpaired surrogate.
std::optional<std::string> Utf8FromUtf16(std::u16string_view utf16);

// Lossy: every invalid sequence becomes U+FFFD. For messages, never for names acted on.
std::string Utf8FromUtf16Lossy(std::u16string_view utf16);

}  // namespace plenwick::platform
