// Texts of the window and its dialogs at the Win32 calls: UTF-8 in the program, UTF-16 in the
// calls, converted by platform/win/WideText (the one conversion of the program). A text shown to
// the user must show, so where the strict conversion refuses one (not UTF-8, or holding a NUL),
// these give a readable stand-in instead of nothing.
#pragma once

#include <string>
#include <string_view>

namespace plenwick::shell {

std::wstring Utf16(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);

}  // namespace plenwick::shell
