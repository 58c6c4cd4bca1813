// Modal message boxes captioned with the application title.
#pragma once

#include <string_view>

#include "shell/ShellServices.h"

namespace plenwick::shell {

class Win32MessageBox final : public MessageBoxService {
 public:
  // The HWND the boxes are modal to; none until the window exists.
  void SetOwner(WindowHandle owner) { owner_ = owner; }

  // Style kMsgInformation (64) shows the information icon, kMsgWarning (48) the warning icon;
  // any other style is a plain OK box. (The box with an extra button is the interface's own: the
  // details go below the text and there is no extra button.)
  void Show(std::string_view text, int style) override;

 private:
  WindowHandle owner_ = nullptr;
};

}  // namespace plenwick::shell
