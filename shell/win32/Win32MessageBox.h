// Modal message boxes captioned with the application title.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "shell/ShellServices.h"

namespace plenwick::shell {

class Win32MessageBox final : public MessageBoxService {
 public:
  Win32MessageBox() = default;
  // Looks for the task dialog in `commonControls` instead of comctl32.dll: a test names a
  // library without it to see the plain box that stands in.
  explicit Win32MessageBox(std::string commonControls)
      : commonControls_(std::move(commonControls)) {}

  // The HWND the boxes are modal to; none until the window exists.
  void SetOwner(WindowHandle owner) { owner_ = owner; }

  // Style kMsgInformation (64) shows the information icon, kMsgWarning (48) the warning icon;
  // any other style is a plain OK box.
  void Show(std::string_view text, int style) override;

  // A task dialog (common controls version 6, which the program's manifest asks for): the text,
  // the details below it, a button captioned `action` and OK, wide enough for its title and for
  // a path in the details to stay on one line where the screen allows. Where the task dialog is
  // missing, the plain box with the details added to the text and no extra button.
  bool ShowWithAction(std::string_view text, std::string_view details, int style,
                      std::string_view action) override;

 private:
  WindowHandle owner_ = nullptr;
  std::string commonControls_ = "comctl32.dll";
};

}  // namespace plenwick::shell
