// What a screen reader learns of a drawn text's static window: the system's own accessible object
// for it (its name is the window's text, its place the window's), with the role, description
// and action of the text it stands for. A static window alone is plain text; a link label must
// be heard as a link and be followed from the reader, as on Linux.
#pragma once

#include "shell/win32/WindowsHeaders.h"

#include <string>

namespace plenwick::win32app {

struct ReaderInfo {
  LONG role = 0;             // ROLE_SYSTEM_STATICTEXT or ROLE_SYSTEM_LINK
  std::wstring description;  // what it is for
  std::wstring action;       // the default action's name; "" for none
  // Where the action is carried out: posted to `owner` as `message` with `wParam`, since a
  // reader asks for it in the middle of its own call and the action may open a dialog or end the
  // program.
  HWND owner = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
};

// Makes `window` answer readers with `info`, until the window is destroyed. False when the
// window could not be hooked; readers then hear it as plain text.
bool AnswerReaders(HWND window, ReaderInfo info);

}  // namespace plenwick::win32app
