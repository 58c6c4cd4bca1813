// The program's only window: the source folder row, the status area, "Join Documents", the red
// prompt and the panel of link labels, with the handlers of their clicks.
//
// Every handler runs through Dispatch(), which counts it as running for ProgramEnd: closing the
// program from inside a handler's yield makes every Yield() return false, each running handler
// returns at once (releasing what it holds), and the end action runs after the outermost one has
// returned.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

#include "base/Result.h"
#include "form/ProgramEnd.h"
#include "join/JoinHost.h"
#include "shell/ShellServices.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace plenwick::app {

class ClickLabel;
class ShapeRect;

// The platform services the window uses; they must outlive it.
struct Form1Services {
  shell::MessageBoxService& messages;
  shell::ShellOpenService& opener;
  shell::FolderPickerService& picker;
  shell::YieldService& yield;
};

class Form1 final : public QWidget, public join::JoinHost {
 public:
  // What "Join Documents" runs. The join run is plugged in here (see JoinWiring.h); until then
  // the button does nothing.
  using JoinHandler = std::function<Status(Form1&)>;

  explicit Form1(Form1Services services);
  ~Form1() override;

  // The source folder of the next join run: the last folder the picker returned, ending in the
  // separator, or "" until one was chosen (a cancelled selection changes nothing).
  std::string sourceFolder;

  // The click handlers. Called directly they run without Dispatch()'s bookkeeping; clicks on
  // the controls go through it.
  Status CmdBrowse_Click();
  Status CmdSplit_Click();
  Status LblProductHelp_Click();
  Status LblWebsite_Click();
  Status LblClose_Click();
  // A folder dropped on the window from a file manager: taken as if chosen with "Browse...".
  Status Form_FolderDropped(std::string folder);

  void SetJoinHandler(JoinHandler handler) { joinHandler_ = std::move(handler); }
  // What ends the program once every handler has returned; QCoreApplication::exit(0) by default.
  void SetEndAction(std::function<void()> endAction) { end_.SetEndAction(std::move(endAction)); }
  const form::ProgramEnd& programEnd() const { return end_; }

  // Shows the window with its client area centred on the primary screen.
  void ShowCentred();

  // The join run's view of the window.
  std::string PickFolder(const std::string& title) override;
  bool Yield() override;
  void ShowMessage(std::string_view text, int style) override;
  void ShowCompletion(std::string_view text, int style, const std::string& outputPath) override;
  void SetVisible(join::Control control, bool visible) override;
  void SetCaption(join::Control control, const std::string& caption) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Form_Initialize();
  // Builds every control from the form's description (form/Form1Layout.h).
  void CreateControls();
  QWidget* ChildWidget(std::string_view name) const;
  template <typename T>
  T* Child(std::string_view name) const {
    return static_cast<T*>(ChildWidget(name));
  }
  // Runs a click handler unless the program is ending; an error it returns is shown.
  void Dispatch(Status (Form1::*handler)());
  void Dispatch(const std::function<Status()>& handler);
  // Makes `picked` the source folder, as "Browse..." does with the picker's answer; "" changes
  // nothing.
  Status TakeSourceFolder(std::string picked);
  // Opens a page of the product's site, or a folder; tells the person when nothing could open it,
  // showing the address to copy.
  void OpenWebPage(const std::string& address);
  void OpenFolder(const std::string& folder);
  // Unloads the window and ends the program as soon as no handler runs.
  void EndProgram();
  QWidget* ControlWidget(join::Control control) const;

  Form1Services services_;
  form::ProgramEnd end_;
  JoinHandler joinHandler_;

  // Children of this window, owned by it through Qt's parent links.
  QLabel* Image2 = nullptr;
  QLabel* Label4 = nullptr;
  QLineEdit* txtvCFPath = nullptr;
  QPushButton* CmdBrowse = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* LblStatusHead = nullptr;
  QLabel* ImgStatusArrow = nullptr;
  QLabel* LblProgessCurrent = nullptr;
  QPushButton* CmdSplit = nullptr;
  QLabel* ImgRMsg = nullptr;
  QLabel* LblRMsg = nullptr;
  ShapeRect* Shape1 = nullptr;
  QLabel* Image3 = nullptr;
  QLabel* Image4 = nullptr;
  ClickLabel* LblProductHelp = nullptr;
  QLabel* Image6 = nullptr;
  ClickLabel* LblWebsite = nullptr;
  QLabel* Image7 = nullptr;
  ClickLabel* LblClose = nullptr;
};

}  // namespace plenwick::app
