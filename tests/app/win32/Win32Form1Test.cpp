// The Win32 window under a real window system (wine64 in Xvfb here): its frame, the child
// windows and the drawn controls against the shared description, colours on the screen, the link
// labels, folders dropped from Explorer, the names screen readers hear, ending the program in a
// run, and the real folder dialog and message boxes driven by a
// second thread as a user would. Skips when no window can be made (no display).
#include <gtest/gtest.h>

#include "shell/win32/WindowsHeaders.h"
// Windows first: COM's headers build on its types.
#include <objbase.h>
#include <shlobj.h>
// After objbase.h: the accessibility interfaces are COM ones.
#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/win32/Win32Form1.h"
#include "form/Form1Accessibility.h"
#include "form/Form1Layout.h"
#include "shell/win32/WideText.h"
#include "shell/win32/Win32EventYield.h"
#include "shell/win32/Win32FolderPicker.h"
#include "shell/win32/Win32MessageBox.h"
#include "tests/support/ScriptedServices.h"

// RECT lives in the global namespace, where the comparisons of the assertions look for these.
inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::ostream& operator<<(std::ostream& out, const RECT& r) {
  return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace plenwick::form {

inline std::ostream& operator<<(std::ostream& out, Rgb c) {
  return out << "RGB(" << int{c.red} << "," << int{c.green} << "," << int{c.blue} << ")";
}

}  // namespace plenwick::form

namespace plenwick::testing {
namespace {

using win32app::Form1;

// Dispatches what is waiting, like the program's yield; `during`, when set, runs first, as a
// click that was waiting would.
class TestYield final : public shell::YieldService {
 public:
  bool Yield() override {
    ++count;
    if (during) during();
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    return true;
  }
  std::function<void()> during;
  int count = 0;
};

void Pump(int milliseconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  MSG message;
  while (std::chrono::steady_clock::now() < until) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
}

std::string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return shell::Utf8(text);
}

std::string ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return shell::Utf8(name);
}

RECT ClientRectOf(HWND child, HWND parent) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT ToRect(const form::Rect& pixels) {
  return {pixels.left, pixels.top, pixels.left + pixels.width, pixels.top + pixels.height};
}

std::vector<HWND> AllChildren(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  return children;
}

// The children a person sees: without the hidden labels that only name controls for screen
// readers.
// What a screen reader hears of a window: the name and role its accessible object gives, and
// the description ("" when none).
struct Heard {
  std::string name;
  long role = 0;
  std::string description;
  std::string action;  // the default action's name
};

// The accessible object a reader gets for the window (the caller releases it), or nullptr.
IAccessible* ReadersObject(HWND window) {
  IAccessible* object = nullptr;
  return SUCCEEDED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                              IID_PPV_ARGS(&object)))
             ? object
             : nullptr;
}

VARIANT Self() {
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  return self;
}

Heard HeardOf(HWND window) {
  Heard heard;
  IAccessible* object = ReadersObject(window);
  if (object == nullptr) return heard;
  const VARIANT self = Self();
  const auto take = [](BSTR text) {
    std::string out = text != nullptr ? shell::Utf8(text) : std::string();
    SysFreeString(text);
    return out;
  };
  BSTR text = nullptr;
  if (object->get_accName(self, &text) == S_OK) heard.name = take(text);
  text = nullptr;
  if (object->get_accDescription(self, &text) == S_OK) heard.description = take(text);
  text = nullptr;
  if (object->get_accDefaultAction(self, &text) == S_OK) heard.action = take(text);
  VARIANT role;
  VariantInit(&role);
  if (object->get_accRole(self, &role) == S_OK && role.vt == VT_I4) heard.role = role.lVal;
  object->Release();
  return heard;
}

// Whether a reader's "do the default action" on the window was taken.
bool FollowedByReader(HWND window) {
  IAccessible* object = ReadersObject(window);
  if (object == nullptr) return false;
  const bool done = object->accDoDefaultAction(Self()) == S_OK;
  object->Release();
  return done;
}

// The children that are controls: static windows only carry texts for screen readers.
std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children = AllChildren(parent);
  std::erase_if(children, [](HWND child) { return ClassName(child) == "Static"; });
  return children;
}

// What Explorer hands over when items are dropped: a DROPFILES block with the wide paths.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
  std::size_t characters = 1;
  for (const std::wstring& path : paths) characters += path.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + characters * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  auto* list = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(header) + sizeof(DROPFILES));
  for (const std::wstring& path : paths) {
    std::copy(path.begin(), path.end(), list);
    list += path.size() + 1;
  }
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

// The client area as it shows on the screen.
class Capture {
 public:
  explicit Capture(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width_, height_, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    pixels_.assign(pixels, pixels + static_cast<std::size_t>(width_ * height_));
    // The screen has no alpha; opaque pixels read the same in every viewer.
    for (std::uint32_t& pixel : pixels_) pixel |= 0xFF000000u;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
  }

  form::Rgb At(int x, int y) const {
    const std::uint32_t bgra = pixels_[static_cast<std::size_t>(y * width_ + x)];
    return {static_cast<std::uint8_t>(bgra >> 16), static_cast<std::uint8_t>(bgra >> 8),
            static_cast<std::uint8_t>(bgra)};
  }

  // The least distance between `colour` and a pixel of `area`: glyph stems are drawn in the text
  // colour itself.
  int Closest(RECT area, form::Rgb colour) const {
    int best = 3 * 255;
    for (int y = std::max(0, static_cast<int>(area.top));
         y < std::min(height_, static_cast<int>(area.bottom)); ++y) {
      for (int x = std::max(0, static_cast<int>(area.left));
           x < std::min(width_, static_cast<int>(area.right)); ++x) {
        const form::Rgb p = At(x, y);
        best = std::min(best, std::abs(p.red - colour.red) + std::abs(p.green - colour.green) +
                                  std::abs(p.blue - colour.blue));
      }
    }
    return best;
  }

  // A picture for people to look at, beside the test's build files.
  void SaveBmp(const std::string& path) const {
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width_;
    header.biHeight = -height_;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    const auto bytes = static_cast<DWORD>(pixels_.size() * 4);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + bytes;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out.write(reinterpret_cast<const char*>(pixels_.data()), static_cast<std::streamsize>(bytes));
  }

  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

class Win32Form1 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  static void TearDownTestSuite() { CoUninitialize(); }

  void SetUp() override {
    form = std::make_unique<Form1>(win32app::Form1Services{messages, opener, picker, yield},
                                   GetModuleHandleW(nullptr));
    if (!form->created()) {
      GTEST_SKIP() << "no window could be made (" << form->created().error().message
                   << "): these tests need a display (under wine64: Xvfb, see xvfb-run)";
    }
    form->SetEndAction([this] { ++ended; });
  }
  void TearDown() override {
    form.reset();
    Pump(20);
  }

  HWND Child(std::string_view name) const {
    const Form1::ControlState* control = form->Find(name);
    return control != nullptr ? control->window : nullptr;
  }
  POINT Centre(std::string_view name) const {
    const RECT& r = form->Find(name)->pixels;
    return {r.left + 10, (r.top + r.bottom) / 2};
  }
  // Presses and releases the left button over a client-area point.
  void ClickAt(POINT at) {
    const LPARAM where = MAKELPARAM(at.x, at.y);
    SendMessageW(form->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, where);
    SendMessageW(form->hwnd(), WM_LBUTTONUP, 0, where);
  }
  void ShowAndPaint() {
    form->ShowCentred();
    Pump(300);
  }
  // Shows everything the status area holds, as after a selection.
  void ChooseSourceFolder(const std::string& folder) {
    picker.Answer(folder);
    SendMessageW(Child("CmdBrowse"), BM_CLICK, 0, 0);
  }

  ScriptedPicker picker;
  RecordingOpener opener;
  RecordingMessages messages;
  TestYield yield;
  std::unique_ptr<Form1> form;
  int ended = 0;
};

TEST_F(Win32Form1, WindowHasFixedFrameTitleAndCentredClientArea) {
  ShowAndPaint();
  const HWND window = form->hwnd();
  EXPECT_EQ(WindowText(window), "Tarvik Plenwick");
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 598);
  EXPECT_EQ(client.bottom, 402);
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(IsWindowVisible(window));
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  POINT centre{client.right / 2, client.bottom / 2};
  ClientToScreen(window, &centre);
  EXPECT_LE(std::abs(centre.x - (work.left + work.right) / 2), 1);
  EXPECT_LE(std::abs(centre.y - (work.top + work.bottom) / 2), 1);
  EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
}

TEST_F(Win32Form1, TheTextBoxAndTheButtonsAreChildWindowsAtTheirPlaces) {
  ShowAndPaint();
  std::vector<const form::Control*> windowed;
  for (const form::Control& control : form::Form1Controls()) {
    if (control.kind == form::Kind::TextBox || control.kind == form::Kind::CommandButton) {
      windowed.push_back(&control);
    }
  }
  const std::vector<HWND> children = Children(form->hwnd());
  ASSERT_EQ(children.size(), windowed.size());
  // In the keyboard order, which is also their order among the children.
  const auto tabOrder = form::Form1TabOrder();
  ASSERT_EQ(tabOrder.size(), children.size());
  for (std::size_t i = 0; i < children.size(); ++i) {
    const HWND child = children[i];
    const form::Control& description = *form::FindControl(tabOrder[i]);
    SCOPED_TRACE(std::string(description.name));
    EXPECT_EQ(child, Child(description.name));
    EXPECT_EQ(ClientRectOf(child, form->hwnd()), ToRect(form::Pixels(description.twips)));
    const bool textBox = description.kind == form::Kind::TextBox;
    EXPECT_EQ(ClassName(child), textBox ? "Edit" : "Button");
    EXPECT_EQ(WindowText(child), std::string(description.caption));
    EXPECT_EQ(IsWindowEnabled(child) != FALSE, description.enabled);
    EXPECT_TRUE(IsWindowVisible(child));
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
    EXPECT_TRUE(style & WS_TABSTOP);
    if (textBox) {
      EXPECT_TRUE(style & ES_READONLY);
      EXPECT_FALSE(style & ES_MULTILINE);
    } else {
      // Neither button is a default button: Enter and Esc press nothing.
      EXPECT_EQ(style & 0x0F, static_cast<DWORD>(BS_PUSHBUTTON));
      const int id = GetDlgCtrlID(child);
      EXPECT_NE(id, IDOK);
      EXPECT_NE(id, IDCANCEL);
    }
    LOGFONTW font{};
    const auto handle = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
    ASSERT_NE(handle, nullptr);
    ASSERT_NE(GetObjectW(handle, sizeof(font), &font), 0);
    EXPECT_EQ(shell::Utf8(font.lfFaceName), "Tahoma");
    EXPECT_EQ(font.lfHeight, -static_cast<LONG>(std::lround(description.font.points * 96 / 72)));
    EXPECT_EQ(font.lfWeight, description.font.bold ? FW_BOLD : FW_NORMAL);
    EXPECT_FALSE(font.lfItalic);
    EXPECT_FALSE(font.lfUnderline);
  }
  // The focus starts in the text box.
  EXPECT_EQ(GetFocus(), Child(tabOrder.front()));
}

TEST_F(Win32Form1, EveryDrawnControlHasItsPlaceCaptionAndFirstState) {
  const auto descriptions = form::Form1Controls();
  ASSERT_EQ(form->controls().size(), descriptions.size());
  for (std::size_t i = 0; i < descriptions.size(); ++i) {
    const Form1::ControlState& control = form->controls()[i];
    SCOPED_TRACE(std::string(descriptions[i].name));
    EXPECT_EQ(control.description, &descriptions[i]);
    EXPECT_EQ(control.pixels, ToRect(form::Pixels(descriptions[i].twips)));
    EXPECT_EQ(control.visible, descriptions[i].visible);
    EXPECT_EQ(control.caption, std::string(descriptions[i].caption));
    if (descriptions[i].kind == form::Kind::Picture) {
      // Every picture was found in the program file and is shown at its natural size.
      ASSERT_NE(control.picture.get(), nullptr);
      EXPECT_EQ(control.picture.width(), control.pixels.right - control.pixels.left);
      EXPECT_EQ(control.picture.height(), control.pixels.bottom - control.pixels.top);
    }
  }
}

TEST_F(Win32Form1, BackgroundPanelPicturesAndTextsShowInTheirColours) {
  ChooseSourceFolder("C:\\srv\\docs");
  ShowAndPaint();
  const Capture image(form->hwnd());
  ASSERT_EQ(image.width(), 598);
  image.SaveBmp(PLENWICK_BINARY_DIR "/tests/app/win32/form1-status.bmp");
  const form::Rgb background = form::Form1Window().background;
  for (const POINT p : {POINT{597, 110}, POINT{3, 270}, POINT{590, 280}, POINT{450, 240}}) {
    EXPECT_EQ(image.At(p.x, p.y), background) << p.x << "," << p.y;
  }
  const form::Rgb navy{0, 0, 128};
  const form::Rgb white{255, 255, 255};
  // The white panel and its navy border along the top (its other sides lie outside the window).
  EXPECT_EQ(image.At(300, 290), navy);
  EXPECT_EQ(image.At(0, 290), navy);
  EXPECT_EQ(image.At(597, 290), navy);
  for (const POINT p : {POINT{300, 291}, POINT{0, 401}, POINT{597, 401}, POINT{400, 330}}) {
    EXPECT_EQ(image.At(p.x, p.y), white) << p.x << "," << p.y;
  }
  // The pictures: the prompt's red arrow, a navy bullet, the banner's panel.
  EXPECT_EQ(image.At(300, 258), (form::Rgb{241, 5, 44}));
  EXPECT_EQ(image.At(75, 309), navy);
  EXPECT_EQ(image.At(3, 3), background);
  EXPECT_EQ(image.Closest({200, 40, 400, 60}, form::Rgb{255, 204, 102}), 0);
  for (const form::Control& description : form::Form1Controls()) {
    if (!description.text || description.caption.empty() || description.kind == form::Kind::TextBox)
      continue;
    SCOPED_TRACE(std::string(description.name));
    EXPECT_LE(image.Closest(ToRect(form::Pixels(description.twips)), *description.text), 24);
  }
  // The text box shows the folder in navy on white.
  EXPECT_LE(image.Closest({10, 130, 200, 150}, navy), 24);
  EXPECT_EQ(image.At(470, 140), white);
}

TEST_F(Win32Form1, ChoosingASourceFolderShowsTheStatusAreaAndEnablesJoin) {
  ShowAndPaint();
  // Any script: the text crosses into the text box as UTF-16 and comes back unchanged.
  ChooseSourceFolder("C:\\Документы\\报告");
  ASSERT_EQ(picker.calls.size(), 1u);
  EXPECT_EQ(picker.calls[0].title, form::kBrowseTitle);
  EXPECT_EQ(picker.calls[0].owner, form->hwnd());
  EXPECT_EQ(form->sourceFolder, "C:\\Документы\\报告\\");
  EXPECT_EQ(WindowText(Child("txtvCFPath")), "C:\\Документы\\报告\\");
  for (const std::string_view name : form::ShownBySourceFolder()) {
    EXPECT_TRUE(form->Find(name)->visible) << name;
  }
  EXPECT_TRUE(IsWindowEnabled(Child("CmdSplit")));

  // A cancelled selection keeps the earlier folder, shown and in force.
  SendMessageW(Child("CmdBrowse"), BM_CLICK, 0, 0);
  EXPECT_EQ(form->sourceFolder, "C:\\Документы\\报告\\");
  EXPECT_EQ(WindowText(Child("txtvCFPath")), "C:\\Документы\\报告\\");
}

TEST_F(Win32Form1, AFolderDroppedFromExplorerIsTakenAsIfChosenWithBrowse) {
  ShowAndPaint();
  EXPECT_TRUE(GetWindowLongPtrW(form->hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  wchar_t temp[MAX_PATH + 1] = {};
  ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
  const std::wstring folder = std::wstring(temp) + L"plenwick-drop-Документы";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring file = folder + L"\\notes.docx";
  CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

  // A file alone is no source folder: nothing changes.
  SendMessageW(form->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({file})), 0);
  EXPECT_EQ(form->sourceFolder, "");
  EXPECT_FALSE(IsWindowEnabled(Child("CmdSplit")));
  // Of several items the first folder is taken.
  SendMessageW(form->hwnd(), WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop({file, folder, std::wstring(temp)})), 0);
  const std::string expected = shell::Utf8(folder) + "\\";
  EXPECT_EQ(form->sourceFolder, expected);
  EXPECT_EQ(WindowText(Child("txtvCFPath")), expected);
  for (const std::string_view name : form::ShownBySourceFolder()) {
    EXPECT_TRUE(form->Find(name)->visible) << name;
  }
  EXPECT_TRUE(IsWindowEnabled(Child("CmdSplit")));
  EXPECT_TRUE(picker.calls.empty());
  DeleteFileW(file.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST_F(Win32Form1, ScreenReadersHearEveryControlByItsName) {
  // A reader names a captionless control after the static text just before it.
  const HWND label = GetWindow(Child("txtvCFPath"), GW_HWNDPREV);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(ClassName(label), "Static");
  EXPECT_EQ(WindowText(label), "Source folder");
  EXPECT_FALSE(GetWindowLongPtrW(label, GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongPtrW(label, GWL_STYLE) & WS_TABSTOP);
  // The buttons are named by their captions, the window by its title.
  EXPECT_EQ(WindowText(Child("CmdBrowse")), "Browse...");
  EXPECT_EQ(WindowText(form->hwnd()), "Tarvik Plenwick");

  // Readers see only windows: every drawn text, and every picture that means something, has a
  // static one at its place, shown when it is, with its name, role and description, and letting
  // clicks through to the window that finds the link.
  ShowAndPaint();
  for (const Form1::ControlState& control : form->controls()) {
    const form::Kind kind = control.description->kind;
    const form::AccessibleText* accessible = form::FindAccessible(control.description->name);
    ASSERT_NE(accessible, nullptr) << control.description->name;
    const bool meaningfulPicture = kind == form::Kind::Picture && !accessible->decoration;
    if (kind != form::Kind::Label && kind != form::Kind::LinkLabel && !meaningfulPicture) {
      EXPECT_EQ(control.reader, nullptr) << control.description->name;
      continue;
    }
    SCOPED_TRACE(std::string(control.description->name));
    ASSERT_NE(control.reader, nullptr);
    EXPECT_EQ(ClassName(control.reader), "Static");
    EXPECT_EQ(ClientRectOf(control.reader, form->hwnd()), control.pixels);
    EXPECT_EQ(IsWindowVisible(control.reader) != FALSE, control.visible);
    const Heard heard = HeardOf(control.reader);
    EXPECT_EQ(heard.name, std::string(form::AccessibleName(*accessible, control.caption)));
    const bool link = kind == form::Kind::LinkLabel;
    EXPECT_EQ(heard.role, link                ? ROLE_SYSTEM_LINK
                          : meaningfulPicture ? ROLE_SYSTEM_GRAPHIC
                                              : ROLE_SYSTEM_STATICTEXT);
    EXPECT_EQ(heard.description, form::AccessibleDescription(*accessible));
    EXPECT_EQ(heard.action, link ? "Jump" : "");
    POINT centre{(control.pixels.left + control.pixels.right) / 2,
                 (control.pixels.top + control.pixels.bottom) / 2};
    ClientToScreen(form->hwnd(), &centre);
    EXPECT_EQ(SendMessageW(control.reader, WM_NCHITTEST, 0, MAKELPARAM(centre.x, centre.y)),
              HTTRANSPARENT);
  }
  // A reader follows a link as a click on it would.
  EXPECT_TRUE(FollowedByReader(form->Find("LblWebsite")->reader));
  Pump(100);
  EXPECT_EQ(opener.opened, std::vector<std::string>{"https://www.tarvik.com/plenwick.html"});
  EXPECT_FALSE(FollowedByReader(form->Find("Label1")->reader));
  // The counter is heard as it counts, and the status area's texts come and go with it.
  ChooseSourceFolder("C:\\docs");
  form->SetCaption(join::Control::LblProgessCurrent, "(3) Documents Combined");
  const HWND counter = form->Find("LblProgessCurrent")->reader;
  EXPECT_EQ(HeardOf(counter).name, "(3) Documents Combined");
  EXPECT_TRUE(IsWindowVisible(counter));
  form->SetVisible(join::Control::LblRMsg, false);
  EXPECT_FALSE(IsWindowVisible(form->Find("LblRMsg")->reader));
}

TEST_F(Win32Form1, OnlyTheLinkLabelsTakeClicksAndShowTheHand) {
  ShowAndPaint();
  ClickAt(Centre("LblWebsite"));
  ClickAt(Centre("LblProductHelp"));
  ChooseSourceFolder("C:\\docs");
  ClickAt(Centre("LblRMsg"));
  ClickAt(Centre("Label1"));
  ClickAt({300, 258});  // the prompt's arrow
  EXPECT_EQ(opener.opened, (std::vector<std::string>{"https://www.tarvik.com/plenwick.html",
                                                     "https://www.tarvik.com/plenwick/"}));
  EXPECT_EQ(ended, 0);

  for (const char* link : {"LblProductHelp", "LblWebsite", "LblClose"}) {
    const Form1::ControlState* over = form->HitTest(Centre(link));
    ASSERT_NE(over, nullptr) << link;
    EXPECT_EQ(over->description->kind, form::Kind::LinkLabel);
  }
  // The pointer over a link is the hand of the artwork, its hot spot at the finger's tip.
  POINT at = Centre("LblWebsite");
  ClientToScreen(form->hwnd(), &at);
  SetCursorPos(at.x, at.y);
  SendMessageW(form->hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form->hwnd()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  const HCURSOR hand = GetCursor();
  ASSERT_NE(hand, nullptr);
  EXPECT_NE(hand, LoadCursorW(nullptr, IDC_ARROW));
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(hand, &info));
  EXPECT_EQ(info.xHotspot, 12u);
  EXPECT_EQ(info.yHotspot, 1u);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  // Elsewhere the arrow.
  at = Centre("Label1");
  ClientToScreen(form->hwnd(), &at);
  SetCursorPos(at.x, at.y);
  SendMessageW(form->hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form->hwnd()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(Win32Form1, APageThatCannotBeOpenedIsToldWithItsAddress) {
  opener.failure = Error{errc::kGeneric, "no program is set up to open it"};
  ClickAt(Centre("LblWebsite"));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].style, shell::kMsgWarning);
  EXPECT_EQ(messages.shown[0].text,
            "The web page could not be opened: no program is set up to open it.\n\nIts address "
            "is:\nhttps://www.tarvik.com/plenwick.html");
}

TEST_F(Win32Form1, TheClosingMessageOfARunThatSavedOffersItsFolder) {
  messages.pressAction = true;
  form->ShowCompletion("Completed !", shell::kMsgOk, "C:\\out\\All-One-Doc 1.doc");
  ASSERT_EQ(messages.actions.size(), 1u);
  EXPECT_EQ(messages.actions[0].details,
            "The joined document is saved as:\nC:\\out\\All-One-Doc 1.doc");
  EXPECT_EQ(messages.actions[0].caption, form::kOpenFolderCaption);
  EXPECT_EQ(opener.opened, std::vector<std::string>{"C:\\out\\"});
}

TEST_F(Win32Form1, CloseThisApplicationEndsTheProgramAtOnceEvenInARun) {
  ShowAndPaint();
  int steps = 0;
  bool completed = false;
  form->SetJoinHandler([&](Form1& window) {
    for (int i = 0; i < 5; ++i) {
      if (!window.Yield()) return Ok();
      ++steps;
    }
    completed = true;
    return Ok();
  });
  // The user clicks "Close this Application" while the run waits in its second yield.
  yield.during = [&] {
    if (yield.count == 2) ClickAt(Centre("LblClose"));
  };
  ChooseSourceFolder("C:\\docs");
  yield.count = 0;
  SendMessageW(Child("CmdSplit"), BM_CLICK, 0, 0);
  EXPECT_EQ(steps, 1);
  EXPECT_FALSE(completed);
  // The end came once the run had returned, and nothing runs after it.
  EXPECT_EQ(ended, 1);
  EXPECT_TRUE(form->programEnd().ending());
  ClickAt(Centre("LblWebsite"));
  EXPECT_TRUE(opener.opened.empty());
}

TEST_F(Win32Form1, ClosingTheWindowThroughTheSystemEndsTheProgram) {
  ShowAndPaint();
  SendMessageW(form->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(ended, 1);
}

TEST_F(Win32Form1, AnErrorAHandlerReturnsIsShown) {
  form->SetJoinHandler([](Form1&) { return MakeError(70, "Permission denied"); });
  ChooseSourceFolder("C:\\docs");
  SendMessageW(Child("CmdSplit"), BM_CLICK, 0, 0);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Run-time error '70':\n\nPermission denied");
}

TEST_F(Win32Form1, TheYieldDispatchesWhatIsWaitingAndStopsWhenTheProgramEnds) {
  bool ending = false;
  shell::Win32EventYield waiting([&] { return ending; });
  waiting.SetDialogWindow(form->hwnd());
  picker.Answer("C:\\docs");
  PostMessageW(Child("CmdBrowse"), BM_CLICK, 0, 0);
  EXPECT_TRUE(waiting.Yield());
  EXPECT_EQ(picker.calls.size(), 1u);
  EXPECT_EQ(form->sourceFolder, "C:\\docs\\");

  // Once the program is ending nothing more is dispatched.
  ending = true;
  PostMessageW(Child("CmdBrowse"), BM_CLICK, 0, 0);
  EXPECT_FALSE(waiting.Yield());
  EXPECT_EQ(picker.calls.size(), 1u);
  ending = false;
  Pump(50);

  // A quit message ends the yield and stays for the message loop.
  PostQuitMessage(3);
  EXPECT_FALSE(waiting.Yield());
  MSG quit;
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 3u);
}

// A user on a second thread: waits for a dialog of this process's window thread, reads it, and
// presses one of its buttons, given by id or by caption.
class DialogUser {
 public:
  struct Seen {
    std::string title;
    std::vector<std::string> texts;    // of its static children
    std::vector<std::string> buttons;  // captions of its buttons, in their order
    bool icon = false;                 // a static showing an icon
    int width = 0;                     // of the whole window
  };

  DialogUser(DWORD thread, int button) : DialogUser(thread, button, {}) {}
  DialogUser(DWORD thread, std::string caption) : DialogUser(thread, 0, std::move(caption)) {}
  ~DialogUser() { Join(); }
  DialogUser(const DialogUser&) = delete;
  DialogUser& operator=(const DialogUser&) = delete;
  void Join() {
    if (worker_.joinable()) worker_.join();
  }
  bool found() const { return found_; }
  const Seen& seen() const { return seen_; }

 private:
  DialogUser(DWORD thread, int button, std::string caption) {
    worker_ = std::thread([this, thread, button, caption] {
      for (int attempt = 0; attempt < 500 && !found_; ++attempt) {
        Sleep(20);
        EnumThreadWindows(thread, &DialogUser::Look, reinterpret_cast<LPARAM>(this));
      }
      if (!found_) return;
      Sleep(100);  // let it draw, for people watching
      if (caption.empty()) {
        PostMessageW(dialog_, WM_COMMAND, static_cast<WPARAM>(button), 0);
        return;
      }
      for (const HWND child : AllChildren(dialog_)) {
        if (ClassName(child) == "Button" && WindowText(child) == caption) {
          const WPARAM clicked = MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED);
          PostMessageW(dialog_, WM_COMMAND, clicked, reinterpret_cast<LPARAM>(child));
          return;
        }
      }
      PostMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);  // no such button: close it all the same
    });
  }

  static BOOL CALLBACK Look(HWND window, LPARAM self) {
    auto* user = reinterpret_cast<DialogUser*>(self);
    if (!IsWindowVisible(window) || ClassName(window) != "#32770") return TRUE;
    user->seen_.title = WindowText(window);
    RECT frame{};
    GetWindowRect(window, &frame);
    user->seen_.width = frame.right - frame.left;
    for (const HWND child : AllChildren(window)) {
      if (ClassName(child) == "Button") {
        user->seen_.buttons.push_back(WindowText(child));
        continue;
      }
      if (ClassName(child) != "Static") continue;
      const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
      // The box may keep an empty icon place when it shows none.
      if ((style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
          SendMessageW(child, STM_GETICON, 0, 0) != 0) {
        user->seen_.icon = true;
      }
      const std::string text = WindowText(child);
      if (!text.empty()) user->seen_.texts.push_back(text);
    }
    user->dialog_ = window;
    user->found_ = true;
    return FALSE;
  }

  std::thread worker_;
  std::atomic<bool> found_{false};
  HWND dialog_ = nullptr;
  Seen seen_;
};

TEST_F(Win32Form1, MessageBoxesAreCaptionedPlenwickWithOrWithoutTheInformationIcon) {
  ShowAndPaint();
  shell::Win32MessageBox boxes;
  boxes.SetOwner(form->hwnd());
  {
    DialogUser user(GetCurrentThreadId(), IDOK);
    boxes.Show("Completed !", shell::kMsgInformation);
    user.Join();
    ASSERT_TRUE(user.found());
    EXPECT_EQ(user.seen().title, "Plenwick");
    EXPECT_NE(std::find(user.seen().texts.begin(), user.seen().texts.end(), "Completed !"),
              user.seen().texts.end());
    EXPECT_TRUE(user.seen().icon);
  }
  {
    DialogUser user(GetCurrentThreadId(), IDOK);
    boxes.Show("Ошибка: 报告", shell::kMsgOk);
    user.Join();
    ASSERT_TRUE(user.found());
    EXPECT_EQ(user.seen().title, "Plenwick");
    EXPECT_NE(std::find(user.seen().texts.begin(), user.seen().texts.end(), "Ошибка: 报告"),
              user.seen().texts.end());
    EXPECT_FALSE(user.seen().icon);
  }
}

bool HasText(const std::vector<std::string>& texts, const std::string& part) {
  return std::any_of(texts.begin(), texts.end(),
                     [&](const std::string& text) { return text.find(part) != std::string::npos; });
}

// How wide the title bar's text is, in the font the system draws it with.
int TitleTextWidth(const std::string& title) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
  const HDC dc = GetDC(nullptr);
  const HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
  const HGDIOBJ old = SelectObject(dc, font);
  const std::wstring text = shell::Utf16(title);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  return size.cx;
}

// The closing message of a run that saved: the output's path below the text, "Open Folder"
// beside OK, the whole title; the answer says which button closed it.
TEST_F(Win32Form1, TheBoxWithAnActionShowsTheDetailsAndSaysWhichButtonClosedIt) {
  ShowAndPaint();
  shell::Win32MessageBox boxes;
  boxes.SetOwner(form->hwnd());
  const std::string path = "C:\\Ausgabe\\Отчёты 报告\\All-One-Doc 919 14-5-30.doc";
  const std::string details = "The joined document is saved as:\n" + path;
  {
    DialogUser user(GetCurrentThreadId(), std::string(form::kOpenFolderCaption));
    EXPECT_TRUE(
        boxes.ShowWithAction("Completed !", details, shell::kMsgOk, form::kOpenFolderCaption));
    user.Join();
    ASSERT_TRUE(user.found());
    EXPECT_EQ(user.seen().title, "Plenwick");
    EXPECT_TRUE(HasText(user.seen().texts, "Completed !"))
        << ::testing::PrintToString(user.seen().texts);
    EXPECT_TRUE(HasText(user.seen().texts, path)) << ::testing::PrintToString(user.seen().texts);
    std::vector<std::string> buttons = user.seen().buttons;
    std::sort(buttons.begin(), buttons.end());
    EXPECT_EQ(buttons, (std::vector<std::string>{"OK", "Open Folder"}));
    EXPECT_FALSE(user.seen().icon);
    EXPECT_GE(user.seen().width, TitleTextWidth("Plenwick") + 2 * GetSystemMetrics(SM_CXSIZE));
  }
  {
    DialogUser user(GetCurrentThreadId(), IDOK);
    EXPECT_FALSE(boxes.ShowWithAction("Completed !", details, shell::kMsgInformation,
                                      form::kOpenFolderCaption));
    user.Join();
    ASSERT_TRUE(user.found());
    EXPECT_TRUE(user.seen().icon);
  }
  {
    // Without the task dialog (comctl32 older than version 6): the plain box, the details in
    // its text and OK alone.
    shell::Win32MessageBox plain("plenwick-has-no-such-library.dll");
    plain.SetOwner(form->hwnd());
    DialogUser user(GetCurrentThreadId(), IDOK);
    EXPECT_FALSE(
        plain.ShowWithAction("Completed !", details, shell::kMsgOk, form::kOpenFolderCaption));
    user.Join();
    ASSERT_TRUE(user.found());
    EXPECT_EQ(user.seen().title, "Plenwick");
    EXPECT_TRUE(HasText(user.seen().texts, "Completed !\n\n" + details));
    EXPECT_EQ(user.seen().buttons, (std::vector<std::string>{"OK"}));
  }
}

TEST_F(Win32Form1, TheFolderDialogShowsItsTitleAndAnswersOkAndCancel) {
  ShowAndPaint();
  shell::Win32FolderPicker dialog;
  {
    DialogUser user(GetCurrentThreadId(), IDCANCEL);
    EXPECT_EQ(dialog.Pick(form->hwnd(), "Выберите папку", {}), "");
    user.Join();
    ASSERT_TRUE(user.found());
    EXPECT_NE(std::find(user.seen().texts.begin(), user.seen().texts.end(), "Выберите папку"),
              user.seen().texts.end());
  }
  {
    // A folder whose name the ANSI code page cannot hold: the dialog opens on it, and OK gives
    // it back exactly, without a trailing backslash.
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::string folder = shell::Utf8(temp) + "Отчёты 报告";
    CreateDirectoryW(shell::Utf16(folder).c_str(), nullptr);
    DialogUser user(GetCurrentThreadId(), IDOK);
    const std::string chosen = dialog.Pick(form->hwnd(), form::kBrowseTitle, folder);
    user.Join();
    ASSERT_TRUE(user.found());
    EXPECT_EQ(chosen, folder);
    RemoveDirectoryW(shell::Utf16(folder).c_str());
  }
}

}  // namespace
}  // namespace plenwick::testing
