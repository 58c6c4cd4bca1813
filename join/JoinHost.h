// What the join run needs of the window it runs in, with no Qt in it, so the window, the terminal
// companion and the tests can all drive the same run.
#pragma once

#include <string>
#include <string_view>

namespace plenwick::join {

// The controls the run changes.
enum class Control { ImgRMsg, LblRMsg, LblProgessCurrent };

class JoinHost {
 public:
  virtual ~JoinHost() = default;
  // The modal folder picker, owned by the window; "" when nothing was chosen.
  virtual std::string PickFolder(const std::string& title) = 0;
  // Processes pending window events once; false when the program is ending: unwind at once.
  virtual bool Yield() = 0;
  // Modal message box captioned "Plenwick" (a style of shell/ShellServices.h).
  virtual void ShowMessage(std::string_view text, int style) = 0;
  // The closing message of a run that saved its output at outputPath. A window shows where the
  // output is and offers to open its folder; by default it is an ordinary message.
  virtual void ShowCompletion(std::string_view text, int style, const std::string& outputPath) {
    (void)outputPath;
    ShowMessage(text, style);
  }
  virtual void SetVisible(Control control, bool visible) = 0;
  virtual void SetCaption(Control control, const std::string& caption) = 0;
};

}  // namespace plenwick::join
