// What the main window does, whichever toolkit draws it: the handlers of its clicks, the source
// folder they choose, the end of the program and the join run's view of the window. The Qt window
// (app/) and the Win32 window (app/win32/) derive from it and add only what a toolkit must do:
// show the chosen folder, own the folder picker's dialog, close the window.
//
// Every handler runs through Dispatch(), which counts it as running for ProgramEnd: closing the
// program from inside a handler's yield makes every Yield() return false, each running handler
// returns at once (releasing what it holds), and the end action runs after the outermost one has
// returned.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/Result.h"
#include "form/ProgramEnd.h"
#include "join/JoinHost.h"
#include "shell/ShellServices.h"

namespace plenwick::form {

// The platform services the window uses; they must outlive it.
struct Form1Services {
  shell::MessageBoxService& messages;
  shell::ShellOpenService& opener;
  shell::FolderPickerService& picker;
  shell::YieldService& yield;
};

class Form1Behaviour : public join::JoinHost {
 public:
  Form1Behaviour(const Form1Behaviour&) = delete;
  Form1Behaviour& operator=(const Form1Behaviour&) = delete;

  // The source folder of the next join run: the last folder the picker returned, ending in the
  // separator, or "" until one was chosen (a cancelled selection changes nothing).
  std::string sourceFolder;

  // The click handlers. Called directly they run without Dispatch()'s bookkeeping; clicks on
  // the controls go through it.
  Status CmdBrowse_Click();
  Status LblProductHelp_Click();
  Status LblWebsite_Click();
  // A folder dropped on the window from a file manager: taken as if chosen with "Browse...".
  Status Form_FolderDropped(std::string folder);

  // What ends the program once every handler has returned.
  void SetEndAction(std::function<void()> endAction) { end_.SetEndAction(std::move(endAction)); }
  const ProgramEnd& programEnd() const { return end_; }

  // The join run's view of the window.
  std::string PickFolder(const std::string& title) override;
  bool Yield() override;
  void ShowMessage(std::string_view text, int style) override;
  void ShowCompletion(std::string_view text, int style, const std::string& outputPath) override;

 protected:
  Form1Behaviour(Form1Services services, std::function<void()> endAction);
  ~Form1Behaviour() override = default;

  // Runs a click handler unless the program is ending; an error it returns is shown.
  void Dispatch(const std::function<Status()>& handler);
  // Opens a page of the product's site, or a folder; tells the person when nothing could open it,
  // showing the address to copy.
  void OpenWebPage(const std::string& address);
  void OpenFolder(const std::string& folder);

  // The window that owns the folder picker's dialog.
  virtual shell::WindowHandle DialogOwner() = 0;
  // Shows the source folder just chosen: in the text box, with the controls it reveals and the
  // button it enables.
  virtual void ShowSourceFolder(const std::string& folder) = 0;

  Form1Services services_;
  ProgramEnd end_;

 private:
  // Makes `picked` the source folder, as "Browse..." does with the picker's answer; "" changes
  // nothing.
  Status TakeSourceFolder(std::string picked);
};

}  // namespace plenwick::form
