// Yielding to the window: dispatch the messages that are waiting, once, then go on.
#pragma once

#include <functional>

#include "shell/ShellServices.h"

namespace plenwick::shell {

class Win32EventYield final : public YieldService {
 public:
  // `ending` tells whether the program is ending; without it the program never ends from here.
  explicit Win32EventYield(std::function<bool()> ending = {});

  // The window whose keyboard navigation (Tab between its controls) the yield keeps working.
  void SetDialogWindow(WindowHandle window) { dialogWindow_ = window; }

  // Drains the thread's message queue once. Returns false, without dispatching anything, once
  // the program is ending, and also when it started ending meanwhile or a quit message came (the
  // quit is posted again, so the message loop still sees it).
  bool Yield() override;

 private:
  std::function<bool()> ending_;
  WindowHandle dialogWindow_ = nullptr;
};

}  // namespace plenwick::shell
