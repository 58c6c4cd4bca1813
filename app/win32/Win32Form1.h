// The program's only window on Windows, built from the same description as the Qt window
// (form/Form1Layout.h): the text box and the two buttons are child windows above everything
// else; the pictures, labels, link labels and the panel are drawn by the window itself, back to
// front, and the window finds which of them a click or the pointer is over. Each label, link
// label and meaningful picture also has a static child window that tells screen readers of it,
// since they see only windows; it shows the window's own drawing of its place and lets clicks
// through. What the
// window does is form::Form1Behaviour's; this class draws it and carries the window's messages
// to it.
#pragma once

#include "shell/win32/WindowsHeaders.h"
// After windows.h: HDROP, for folders dropped on the window.
#include <shellapi.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/win32/ReaderAccessible.h"
#include "app/win32/Win32Artwork.h"
#include "base/Result.h"
#include "form/Form1Behaviour.h"
#include "form/Form1Layout.h"

namespace plenwick::win32app {

using form::Form1Services;

class Form1 final : public form::Form1Behaviour {
 public:
  using JoinHandler = std::function<Status(Form1&)>;

  // One control as it stands now: its description and what the handlers changed.
  struct ControlState {
    const form::Control* description = nullptr;
    RECT pixels{};          // in the client area
    HWND window = nullptr;  // the text box and the buttons; the rest are drawn
    HWND reader = nullptr;  // texts and meaningful pictures: the window screen readers read
    bool visible = true;
    bool enabled = true;
    std::string caption;    // UTF-8
    PictureBitmap picture;  // pictures
    HFONT font = nullptr;   // owned by fonts_
  };

  // Creates the window, hidden, with every control in its first state. Needs COM initialised
  // (apartment-threaded) on this thread for the pictures and the folder picker.
  Form1(Form1Services services, HINSTANCE instance);
  ~Form1() override;
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Whether the window was made; when not, why.
  const Status& created() const { return created_; }
  HWND hwnd() const { return hwnd_; }

  // The click handlers the toolkit has a part in (the others are Form1Behaviour's). Called
  // directly they run without Dispatch()'s bookkeeping; clicks on the controls go through it.
  Status CmdSplit_Click();
  Status LblClose_Click();

  void SetJoinHandler(JoinHandler handler) { joinHandler_ = std::move(handler); }
  // The program ends by destroying the window and posting the quit message, unless SetEndAction
  // says otherwise.

  // Shows the window with its client area centred on the work area of the primary screen, the
  // focus in the first control of the keyboard order.
  void ShowCentred();

  // Every control, back to front, and the one called `name` (nullptr when there is none).
  const std::vector<ControlState>& controls() const { return controls_; }
  const ControlState* Find(std::string_view name) const;
  // The front-most drawn control under a client-area point that takes clicks (the panel does
  // not), or nullptr.
  const ControlState* HitTest(POINT client) const;

  // The join run's view of the window (the rest is Form1Behaviour's).
  void SetVisible(join::Control control, bool visible) override;
  void SetCaption(join::Control control, const std::string& caption) override;

  // The window class's name, for tools that look for the window.
  static constexpr const wchar_t* kClassName = L"PlenwickForm1";

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void Form_Initialize();
  Status CreateWindowAndControls();
  HFONT Font(const form::Font& font);
  HWND CreateReader(const ControlState& control);
  ReaderInfo ReaderInfoOf(const ControlState& control, std::size_t index) const;
  // Runs the link label's click handler, when it shows.
  void FollowLink(const ControlState& link);
  // Draws the client area's `area` into `target` with its top left corner at `to`.
  void Paint(HDC target, const RECT& area, POINT to);
  void PaintReader(HWND reader, HDC target);
  void OnCommand(int id, int notification);
  // Runs a handler of this window through Form1Behaviour::Dispatch.
  using form::Form1Behaviour::Dispatch;
  void Dispatch(Status (Form1::*handler)()) {
    Dispatch([this, handler] { return (this->*handler)(); });
  }
  shell::WindowHandle DialogOwner() override { return hwnd_; }
  void ShowSourceFolder(const std::string& folder) override;
  void OnDropFiles(HDROP drop);
  // Unloads the window and ends the program as soon as no handler runs.
  void EndProgram();
  ControlState* FindMutable(std::string_view name);
  void SetControlVisible(std::string_view name, bool visible);
  void SetControlText(std::string_view name, const std::string& text);
  void Invalidate(const ControlState& control);

  HINSTANCE instance_;
  JoinHandler joinHandler_;
  Status created_;
  HWND hwnd_ = nullptr;
  std::vector<ControlState> controls_;
  std::map<std::pair<int, bool>, HFONT> fonts_;  // by (height in pixels, bold)
  HCURSOR hand_ = nullptr;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  HBRUSH textBoxBrush_ = nullptr;
  // The link label pressed and not yet released, for a click on release over the same label.
  const ControlState* pressed_ = nullptr;
};

}  // namespace plenwick::win32app
