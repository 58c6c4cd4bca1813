#include "app/win32/Win32Form1.h"

// Windows first: the common controls and accessibility build on its types.
#include <commctrl.h>
#include <oleacc.h>

#include <cmath>
#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "form/DroppedFolder.h"
#include "form/Form1Accessibility.h"
#include "shell/FolderPath.h"
#include "shell/modMain.h"
#include "shell/win32/WideText.h"

namespace plenwick::win32app {
namespace {

constexpr int kFirstControlId = 100;  // clear of IDOK and IDCANCEL, which Enter and Esc send
// A screen reader followed the link label controls_[wParam].
constexpr UINT kFollowLink = WM_APP + 1;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// A fixed dialog frame; the controls take part in Tab navigation.
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

COLORREF Colour(form::Rgb rgb) {
  return RGB(rgb.red, rgb.green, rgb.blue);
}

RECT PixelRect(const form::Rect& twips) {
  const form::Rect pixels = form::Pixels(twips);
  return {pixels.left, pixels.top, pixels.left + pixels.width, pixels.top + pixels.height};
}

bool IsDrawn(form::Kind kind) {
  return kind != form::Kind::TextBox && kind != form::Kind::CommandButton;
}

// Drawn controls a screen reader is told of: the texts, and the pictures that mean something
// (the others only adorn the window, and readers pass them by).
bool IsHeard(const form::Control& control) {
  if (control.kind == form::Kind::Label || control.kind == form::Kind::LinkLabel) return true;
  const form::AccessibleText* accessible = form::FindAccessible(control.name);
  return control.kind == form::Kind::Picture && accessible != nullptr && !accessible->decoration;
}

// What a screen reader hears for a drawn control: its accessible name, or its caption when the
// name is the caption (the counter's current count).
std::wstring ReaderText(const Form1::ControlState& control) {
  const form::AccessibleText* accessible = form::FindAccessible(control.description->name);
  return shell::Utf16(accessible != nullptr
                          ? std::string(form::AccessibleName(*accessible, control.caption))
                          : control.caption);
}

std::string_view NameOf(join::Control control) {
  switch (control) {
    case join::Control::ImgRMsg:
      return "ImgRMsg";
    case join::Control::LblRMsg:
      return "LblRMsg";
    case join::Control::LblProgessCurrent:
      return "LblProgessCurrent";
  }
  return {};
}

struct LinkHandler {
  std::string_view name;
  Status (Form1::*handler)();
};

constexpr LinkHandler kLinkHandlers[] = {
    {"LblProductHelp", &Form1::LblProductHelp_Click},
    {"LblWebsite", &Form1::LblWebsite_Click},
    {"LblClose", &Form1::LblClose_Click},
};

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(shell::Utf16(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

BOOL CALLBACK CloseOwnedWindow(HWND window, LPARAM owner) {
  if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner)) {
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

}  // namespace

Form1::Form1(Form1Services services, HINSTANCE instance)
    : Form1Behaviour(services,
                     [this] {
                       if (hwnd_ != nullptr) DestroyWindow(hwnd_);
                       PostQuitMessage(0);
                     }),
      instance_(instance) {
  Form_Initialize();
  created_ = CreateWindowAndControls();
}

Form1::~Form1() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  for (const auto& [key, font] : fonts_) DeleteObject(font);
  if (hand_ != nullptr) DestroyCursor(hand_);
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
  if (textBoxBrush_ != nullptr) DeleteObject(textBoxBrush_);
}

// With the manifest's common-controls dependency this gives the buttons and the text box their
// themed look.
void Form1::Form_Initialize() {
  InitCommonControls();
}

HFONT Form1::Font(const form::Font& description) {
  // Points at the 96 dots per inch the twips are converted at; Windows scales the whole window
  // on denser screens.
  const int height = static_cast<int>(std::lround(description.points * 96.0 / 72.0));
  const auto key = std::make_pair(height, description.bold);
  if (auto found = fonts_.find(key); found != fonts_.end()) return found->second;
  const std::wstring face = shell::Utf16(form::kFontFamily);
  // The default character set lets the text box show folder names in any script.
  HFONT font = CreateFontW(-height, 0, 0, 0, description.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                           FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face.c_str());
  fonts_.emplace(key, font);
  return font;
}

Status Form1::CreateWindowAndControls() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  if (!GetClassInfoExW(instance_, kClassName, &windowClass)) {
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &Form1::WindowProc;
    windowClass.hInstance = instance_;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0) {
      return MakeError(errc::kGeneric, "The window class could not be registered.");
    }
  }

  const form::Window& window = form::Form1Window();
  const form::Rect client = form::Pixels(window.clientTwips);
  RECT frame{0, 0, client.width, client.height};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const std::wstring title = shell::Utf16(window.title);
  CreateWindowExW(kExStyle, kClassName, title.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance_,
                  this);
  if (hwnd_ == nullptr) return MakeError(errc::kGeneric, "The window could not be created.");

  bigIcon_ = LoadProgramIcon(instance_, SM_CXICON);
  smallIcon_ = LoadProgramIcon(instance_, SM_CXSMICON);
  if (bigIcon_ != nullptr)
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  if (smallIcon_ != nullptr) {
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  }
  // Folders dropped from Explorer arrive as WM_DROPFILES.
  DragAcceptFiles(hwnd_, TRUE);
  hand_ = CreateHandCursor(instance_);
  textBoxBrush_ = CreateSolidBrush(RGB(255, 255, 255));

  Status artwork;
  Status accessibility;
  const auto descriptions = form::Form1Controls();
  controls_.reserve(descriptions.size());
  int id = kFirstControlId;
  // Child windows are created in the keyboard order's sequence, which Tab follows; the
  // description lists them in that order too.
  for (const form::Control& description : descriptions) {
    ControlState& control = controls_.emplace_back();
    control.description = &description;
    control.pixels = PixelRect(description.twips);
    control.visible = description.visible;
    control.enabled = description.enabled;
    control.caption = std::string(description.caption);
    if (description.font.points > 0) control.font = Font(description.font);
    if (description.kind == form::Kind::Picture) {
      auto picture = LoadPicture(instance_, description.picture);
      if (picture) {
        control.picture = std::move(*picture);
      } else if (artwork) {
        artwork = picture.error();
      }
    }
    if (IsDrawn(description.kind)) {
      if (IsHeard(description)) {
        control.reader = CreateReader(control);
        if (control.reader == nullptr) {
          return MakeError(errc::kGeneric, "The control " + std::string(description.name) +
                                               " could not be created.");
        }
        if (!AnswerReaders(control.reader, ReaderInfoOf(control, controls_.size() - 1)) &&
            accessibility) {
          accessibility =
              MakeError(errc::kGeneric,
                        "Screen readers hear " + std::string(description.name) + " as plain text.");
        }
      }
      continue;
    }

    const bool textBox = description.kind == form::Kind::TextBox;
    // Screen readers name a control without a caption of its own after the static text just
    // before it among the children; a hidden one names it without being seen or reached by Tab.
    if (const form::AccessibleText* accessible = form::FindAccessible(description.name);
        accessible != nullptr && !accessible->name.empty() &&
        accessible->name != description.caption) {
      const std::wstring name = shell::Utf16(accessible->name);
      const RECT& r = control.pixels;
      CreateWindowExW(0, L"STATIC", name.c_str(), WS_CHILD | SS_LEFT | SS_NOPREFIX, r.left, r.top,
                      r.right - r.left, r.bottom - r.top, hwnd_, nullptr, instance_, nullptr);
    }
    DWORD style = WS_CHILD | WS_TABSTOP | (description.visible ? WS_VISIBLE : 0);
    style |= textBox ? DWORD{ES_READONLY | ES_AUTOHSCROLL | ES_LEFT} : DWORD{BS_PUSHBUTTON};
    const std::wstring caption = shell::Utf16(description.caption);
    const RECT& r = control.pixels;
    control.window = CreateWindowExW(
        textBox ? WS_EX_CLIENTEDGE : 0, textBox ? L"EDIT" : L"BUTTON", caption.c_str(), style,
        r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance_, nullptr);
    if (control.window == nullptr) {
      return MakeError(errc::kGeneric,
                       "The control " + std::string(description.name) + " could not be created.");
    }
    SetWindowTextW(control.window, caption.c_str());
    SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(control.font), FALSE);
    EnableWindow(control.window, description.enabled ? TRUE : FALSE);
  }
  // Without its pictures the window still works; the places stay empty. Readers hear a text
  // whose window could not answer them by its name alone.
  if (!artwork) OutputDebugStringA(artwork.error().message.c_str());
  if (!accessibility) OutputDebugStringA(accessibility.error().message.c_str());
  return Ok();
}

ReaderInfo Form1::ReaderInfoOf(const ControlState& control, std::size_t index) const {
  ReaderInfo info;
  const form::Kind kind = control.description->kind;
  const bool link = kind == form::Kind::LinkLabel;
  info.role = link                          ? ROLE_SYSTEM_LINK
              : kind == form::Kind::Picture ? ROLE_SYSTEM_GRAPHIC
                                            : ROLE_SYSTEM_STATICTEXT;
  if (const form::AccessibleText* accessible = form::FindAccessible(control.description->name)) {
    info.description = shell::Utf16(form::AccessibleDescription(*accessible));
  }
  if (link) {
    info.action = L"Jump";  // the action a link's system object names
    info.owner = hwnd_;
    info.message = kFollowLink;
    info.wParam = index;
  }
  return info;
}

HWND Form1::CreateReader(const ControlState& control) {
  // Owner-drawn, so the window paints it as it paints the place; without SS_NOTIFY it lets
  // clicks and the pointer through to the window, which finds the link under them.
  const RECT& r = control.pixels;
  return CreateWindowExW(0, L"STATIC", ReaderText(control).c_str(),
                         WS_CHILD | SS_OWNERDRAW | (control.visible ? WS_VISIBLE : 0), r.left,
                         r.top, r.right - r.left, r.bottom - r.top, hwnd_, nullptr, instance_,
                         nullptr);
}

void Form1::ShowCentred() {
  if (hwnd_ == nullptr) return;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const form::Rect client = form::Pixels(form::Form1Window().clientTwips);
  RECT frame{0, 0, client.width, client.height};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int clientLeft = (work.left + work.right - client.width) / 2;
  const int clientTop = (work.top + work.bottom - client.height) / 2;
  SetWindowPos(hwnd_, nullptr, clientLeft + frame.left, clientTop + frame.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  SetForegroundWindow(hwnd_);
  if (const ControlState* first = Find(form::Form1TabOrder().front()); first && first->window) {
    SetFocus(first->window);
  }
}

const Form1::ControlState* Form1::Find(std::string_view name) const {
  for (const ControlState& control : controls_) {
    if (control.description->name == name) return &control;
  }
  return nullptr;
}

Form1::ControlState* Form1::FindMutable(std::string_view name) {
  return const_cast<ControlState*>(Find(name));
}

const Form1::ControlState* Form1::HitTest(POINT client) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    if (!IsDrawn(it->description->kind) || it->description->kind == form::Kind::Shape ||
        !it->visible)
      continue;
    if (PtInRect(&it->pixels, client)) return &*it;
  }
  return nullptr;
}

void Form1::Invalidate(const ControlState& control) {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, &control.pixels, FALSE);
}

void Form1::SetControlVisible(std::string_view name, bool visible) {
  ControlState* control = FindMutable(name);
  if (control == nullptr || control->visible == visible) return;
  control->visible = visible;
  if (control->window != nullptr) {
    ShowWindow(control->window, visible ? SW_SHOWNA : SW_HIDE);
  } else {
    if (control->reader != nullptr) ShowWindow(control->reader, visible ? SW_SHOWNA : SW_HIDE);
    Invalidate(*control);
  }
}

void Form1::SetControlText(std::string_view name, const std::string& text) {
  ControlState* control = FindMutable(name);
  if (control == nullptr) return;
  control->caption = text;
  if (control->window != nullptr) {
    SetWindowTextW(control->window, shell::Utf16(text).c_str());
  } else {
    if (control->reader != nullptr) {
      // Setting a window's text tells screen readers its name changed: the counter is heard.
      SetWindowTextW(control->reader, ReaderText(*control).c_str());
      InvalidateRect(control->reader, nullptr, FALSE);
    }
    Invalidate(*control);
  }
}

void Form1::Paint(HDC target, const RECT& area, POINT to) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  // Drawn off screen and copied at once, so a repaint never flickers through the layers. The
  // canvas holds only the area; what is drawn outside it is cut off.
  HDC dc = CreateCompatibleDC(target);
  HBITMAP canvas = CreateCompatibleBitmap(target, width, height);
  HGDIOBJ oldCanvas = SelectObject(dc, canvas);
  SetViewportOrgEx(dc, -area.left, -area.top, nullptr);
  HBRUSH background = CreateSolidBrush(Colour(form::Form1Window().background));
  FillRect(dc, &client, background);
  DeleteObject(background);

  HDC pictureDc = CreateCompatibleDC(target);
  SetBkMode(dc, TRANSPARENT);
  for (const ControlState& control : controls_) {
    const form::Control& description = *control.description;
    if (!IsDrawn(description.kind) || !control.visible) continue;
    const RECT& r = control.pixels;
    switch (description.kind) {
      case form::Kind::Shape: {
        HBRUSH fill = CreateSolidBrush(Colour(description.fill));
        HPEN border = CreatePen(PS_SOLID, 1, Colour(description.border));
        HGDIOBJ oldBrush = SelectObject(dc, fill);
        HGDIOBJ oldPen = SelectObject(dc, border);
        // The border lies inside the bounds.
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(border);
        DeleteObject(fill);
        break;
      }
      case form::Kind::Picture: {
        if (control.picture.get() == nullptr) break;
        HGDIOBJ old = SelectObject(pictureDc, control.picture.get());
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        // At the picture's natural size, which the description repeats.
        AlphaBlend(dc, r.left, r.top, control.picture.width(), control.picture.height(), pictureDc,
                   0, 0, control.picture.width(), control.picture.height(), blend);
        SelectObject(pictureDc, old);
        break;
      }
      case form::Kind::Label:
      case form::Kind::LinkLabel: {
        SetTextColor(dc, description.text ? Colour(*description.text) : GetSysColor(COLOR_BTNTEXT));
        HGDIOBJ oldFont = SelectObject(dc, control.font);
        const std::wstring text = shell::Utf16(control.caption);
        RECT bounds = r;
        const UINT align = description.align == form::Align::Centre ? DT_CENTER : DT_LEFT;
        // One line from the top edge, cut at the label's bounds; "&" is an ordinary character.
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds,
                  align | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, oldFont);
        break;
      }
      case form::Kind::TextBox:
      case form::Kind::CommandButton:
        break;
    }
  }
  DeleteDC(pictureDc);

  SetViewportOrgEx(dc, 0, 0, nullptr);
  BitBlt(target, to.x, to.y, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldCanvas);
  DeleteObject(canvas);
  DeleteDC(dc);
}

void Form1::PaintReader(HWND reader, HDC target) {
  for (const ControlState& control : controls_) {
    if (control.reader == reader) Paint(target, control.pixels, {0, 0});
  }
}

LRESULT CALLBACK Form1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<Form1*>(create->lpCreateParams);
    self->hwnd_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return self->OnMessage(message, wParam, lParam);
}

LRESULT Form1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      Paint(dc, paint.rcPaint, {paint.rcPaint.left, paint.rcPaint.top});
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlType != ODT_STATIC) break;
      PaintReader(item->hwndItem, item->hDC);
      return TRUE;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      // The read-only text box keeps its white background, with the folder in its own colour.
      const ControlState* box = Find(form::kSourceFolderBox);
      if (box != nullptr && reinterpret_cast<HWND>(lParam) == box->window) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, box->description->text ? Colour(*box->description->text)
                                                : GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(textBoxBrush_);
      }
      break;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == hwnd_ && LOWORD(lParam) == HTCLIENT) {
        POINT at{};
        GetCursorPos(&at);
        ScreenToClient(hwnd_, &at);
        const ControlState* over = HitTest(at);
        const bool link = over != nullptr && over->description->kind == form::Kind::LinkLabel;
        SetCursor(link ? hand_ : LoadCursorW(nullptr, IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN: {
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      const ControlState* over = HitTest(at);
      if (over != nullptr && over->description->kind == form::Kind::LinkLabel) {
        pressed_ = over;
        SetCapture(hwnd_);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      const ControlState* pressed = std::exchange(pressed_, nullptr);
      if (pressed == nullptr) return 0;
      ReleaseCapture();
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (HitTest(at) == pressed) FollowLink(*pressed);
      return 0;
    }
    case WM_CAPTURECHANGED:
      pressed_ = nullptr;
      return 0;
    case kFollowLink:
      // A reader followed a link label: as a click on it, once the reader's call is over.
      if (wParam < controls_.size()) FollowLink(controls_[wParam]);
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_CLOSE:
      // Closing the only window unloads it and ends the program, whoever asked.
      EndProgram();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Form1::FollowLink(const ControlState& link) {
  if (!link.visible) return;
  for (const LinkHandler& handler : kLinkHandlers) {
    if (handler.name == link.description->name) Dispatch(handler.handler);
  }
}

void Form1::OnCommand(int id, int notification) {
  if (notification != BN_CLICKED) return;
  for (const ControlState& control : controls_) {
    if (control.window == nullptr || GetDlgCtrlID(control.window) != id) continue;
    if (control.description->name == "CmdBrowse") Dispatch(&Form1::CmdBrowse_Click);
    if (control.description->name == "CmdSplit") Dispatch(&Form1::CmdSplit_Click);
  }
}

void Form1::OnDropFiles(HDROP drop) {
  std::vector<std::string> items;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    if (DragQueryFileW(drop, i, path.data(), length + 1) == 0) continue;
    path.resize(length);
    items.push_back(shell::Utf8(path));
  }
  // The drop is over for Explorer once the message was posted; the handle is ours to free.
  DragFinish(drop);
  if (std::optional<std::string> folder = form::DroppedFolder(items, &IsFolder)) {
    Dispatch([this, &folder] { return Form_FolderDropped(std::move(*folder)); });
  }
}

void Form1::EndProgram() {
  // Dialogs opened by running handlers close as if cancelled, so their handlers can unwind.
  if (hwnd_ != nullptr) {
    EnumThreadWindows(GetCurrentThreadId(), &CloseOwnedWindow, reinterpret_cast<LPARAM>(hwnd_));
  }
  end_.Request();
}

void Form1::SetVisible(join::Control control, bool visible) {
  SetControlVisible(NameOf(control), visible);
}

void Form1::SetCaption(join::Control control, const std::string& caption) {
  // Only the labels have a caption; the picture has none to set.
  const ControlState* target = Find(NameOf(control));
  if (target != nullptr && target->description->kind == form::Kind::Label) {
    SetControlText(target->description->name, caption);
  }
}

}  // namespace plenwick::win32app
