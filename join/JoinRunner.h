// What a window keeps for "Join Documents": its join state (walker and file list) and the services
// the runs use, for the life of the window. Each click runs CmdSplit_Click on them.
#pragma once

#include <string>
#include <string_view>

#include "base/Result.h"
#include "join/JoinHost.h"
#include "join/JoinServices.h"
#include "join/JoinState.h"
#include "shell/ShellServices.h"

namespace plenwick::join {

class JoinRunner {
 public:
  // When services.walkerMessages is not set, the walker's message goes to the window's own
  // message box.
  explicit JoinRunner(JoinServices services);
  JoinRunner(const JoinRunner&) = delete;
  JoinRunner& operator=(const JoinRunner&) = delete;

  // One "Join Documents" in window. sourceFolder is the window's own, read when the walk starts.
  // The window must outlive the runner when its message box serves the walker.
  Status Run(const std::string& sourceFolder, JoinHost& window);

  JoinState& state() { return state_; }

 private:
  class WindowMessages final : public shell::MessageBoxService {
   public:
    void Show(std::string_view text, int style) override {
      if (window != nullptr) window->ShowMessage(text, style);
    }
    JoinHost* window = nullptr;
  };

  JoinServices services_;
  WindowMessages windowMessages_;
  JoinState state_;
};

}  // namespace plenwick::join
