#include "shell/win32/Win32EventYield.h"

#include "shell/win32/WindowsHeaders.h"

#include <utility>

namespace plenwick::shell {

Win32EventYield::Win32EventYield(std::function<bool()> ending) : ending_(std::move(ending)) {}

bool Win32EventYield::Yield() {
  const auto ending = [this] { return ending_ && ending_(); };
  if (ending()) return false;
  MSG message;
  // Only what is waiting now: messages that the dispatch itself posts wait for the next yield,
  // so a busy window cannot keep the run from going on.
  const DWORD start = GetTickCount();
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    const HWND dialog = static_cast<HWND>(dialogWindow_);
    if (dialog == nullptr || !IsWindow(dialog) || !IsDialogMessageW(dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (ending()) return false;
    if (GetTickCount() - start > 100) break;
  }
  return !ending();
}

}  // namespace plenwick::shell
