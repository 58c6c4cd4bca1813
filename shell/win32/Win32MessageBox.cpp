#include "shell/win32/Win32MessageBox.h"

#include "shell/win32/WindowsHeaders.h"
// After <windows.h>, whose types they use.
#include <commctrl.h>

#include <algorithm>
#include <bit>
#include <string>

#include "shell/win32/WideText.h"

namespace plenwick::shell {
namespace {

using TaskDialogIndirectEntry = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// The id the task dialog gives back for the extra button; the common buttons use 1 to 8.
constexpr int kActionButton = 100;

HWND OwnerWindow(WindowHandle owner) {
  const HWND window = static_cast<HWND>(owner);
  return window != nullptr && IsWindow(window) ? window : nullptr;
}

// TaskDialogIndirect is in version 6 of the common controls only. The program's manifest asks
// for it, but a program file without the manifest (or a system without version 6) loads an older
// comctl32 that lacks the entry point: asking at run time lets such a program still start, and
// the caller shows the plain box instead.
TaskDialogIndirectEntry FindTaskDialog(const std::string& library) {
  const std::wstring name = Utf16(library);
  HMODULE controls = GetModuleHandleW(name.c_str());
  // Loaded once and kept: the program shows boxes until it ends.
  if (controls == nullptr) controls = LoadLibraryW(name.c_str());
  if (controls == nullptr) return nullptr;
  const FARPROC entry = GetProcAddress(controls, "TaskDialogIndirect");
  return entry != nullptr ? std::bit_cast<TaskDialogIndirectEntry>(entry) : nullptr;
}

int TextWidth(HDC dc, const LOGFONTW& look, std::wstring_view text) {
  const HFONT font = CreateFontIndirectW(&look);
  const HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  return size.cx;
}

// The client width, in the dialog's units, that shows the title whole in the title bar and
// each line of `content` unbroken, but no wider than most of the screen. The task dialog left
// to itself sizes to its text alone: a short text ("Completed !") gives a box whose title is
// cut, and a long path is broken across lines where it could have stayed on one.
UINT DialogWidth(HWND owner, std::wstring_view title, std::wstring_view content, bool icon) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return 0;
  const HDC dc = GetDC(owner);
  if (dc == nullptr) return 0;
  // The bar also holds the window's icon and the close button; the borders come on both sides.
  const int bar = GetSystemMetrics(SM_CXSMICON) + 2 * GetSystemMetrics(SM_CXSIZE) +
                  4 * GetSystemMetrics(SM_CXFIXEDFRAME);
  int widest = TextWidth(dc, metrics.lfCaptionFont, title) + bar;
  // Content sits right of the icon, between margins.
  const int contentMargins =
      2 * GetSystemMetrics(SM_CXICON) + (icon ? GetSystemMetrics(SM_CXICON) : 0);
  for (std::size_t start = 0; start <= content.size();) {
    const std::size_t end = std::min(content.find(L'\n', start), content.size());
    widest =
        std::max(widest, TextWidth(dc, metrics.lfMessageFont, content.substr(start, end - start)) +
                             contentMargins);
    start = end + 1;
  }
  // Dialog units of the dialog's font: a quarter of its average letter's width.
  const int letters =
      TextWidth(dc, metrics.lfMessageFont, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  ReleaseDC(owner, dc);
  const int unit = std::max(1, (letters / 26 + 1) / 2);
  const int screen = GetSystemMetrics(SM_CXSCREEN) * 3 / 4;
  return static_cast<UINT>(MulDiv(std::min(widest, screen), 4, unit));
}

}  // namespace

void Win32MessageBox::Show(std::string_view text, int style) {
  const UINT type = style == kMsgInformation ? MB_OK | MB_ICONINFORMATION
                    : style == kMsgWarning   ? MB_OK | MB_ICONWARNING
                                             : MB_OK;
  MessageBoxW(OwnerWindow(owner_), Utf16(text).c_str(), Utf16(kAppTitle).c_str(), type);
}

bool Win32MessageBox::ShowWithAction(std::string_view text, std::string_view details, int style,
                                     std::string_view action) {
  const TaskDialogIndirectEntry taskDialog = FindTaskDialog(commonControls_);
  if (taskDialog == nullptr) return MessageBoxService::ShowWithAction(text, details, style, action);

  const HWND owner = OwnerWindow(owner_);
  const std::wstring title = Utf16(kAppTitle);
  std::wstring content = Utf16(text);
  if (!details.empty()) content += L"\n\n" + Utf16(details);
  const std::wstring caption = Utf16(action);
  const TASKDIALOG_BUTTON buttons[] = {{kActionButton, caption.c_str()}};

  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof(config);
  config.hwndParent = owner;
  // Esc and the close box answer as OK does.
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.dwCommonButtons = TDCBF_OK_BUTTON;
  config.pszWindowTitle = title.c_str();
  config.pszMainIcon = style == kMsgInformation ? TD_INFORMATION_ICON
                       : style == kMsgWarning   ? TD_WARNING_ICON
                                                : nullptr;
  config.pszContent = content.c_str();
  if (!caption.empty()) {
    config.pButtons = buttons;
    config.cButtons = 1;
  }
  config.nDefaultButton = IDOK;
  config.cxWidth = DialogWidth(owner, title, content, config.pszMainIcon != nullptr);

  int pressed = 0;
  // It fails only before showing anything (no memory, a bad configuration): the plain box then.
  if (FAILED(taskDialog(&config, &pressed, nullptr, nullptr))) {
    return MessageBoxService::ShowWithAction(text, details, style, action);
  }
  return !caption.empty() && pressed == kActionButton;
}

}  // namespace plenwick::shell
