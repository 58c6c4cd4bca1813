// Text at the edge of the Win32 API: UTF-8 in the program, UTF-16 (wchar_t) in the calls.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plenwick::platform::win {

// The wide form of a UTF-8 path or text; nothing when it is not valid UTF-8 or holds a NUL.
std::optional<std::wstring> Wide(std::string_view utf8);
// The UTF-8 form of a name the system gave; nothing for an unpaired surrogate.
std::optional<std::string> Narrow(std::wstring_view wide);
// The wide form of a path for the file API: long absolute paths get the \\?\ form, which
// lifts the 260-character limit (and takes only backslashes).
std::optional<std::wstring> WidePath(std::string_view utf8);
// The system's message for an error number (GetLastError), in UTF-8, without the line end.
std::string ErrorText(unsigned long error);

}  // namespace plenwick::platform::win
