// The program's only window in Qt: the source folder row, the status area, "Join Documents", the
// red prompt and the panel of link labels. What the window does is form::Form1Behaviour's; this
// class builds the widgets from the form's description and carries their events to it.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

#include "base/Result.h"
#include "form/Form1Behaviour.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace plenwick::app {

class ClickLabel;
class ShapeRect;

using form::Form1Services;

class Form1 final : public QWidget, public form::Form1Behaviour {
 public:
  // What "Join Documents" runs. The join run is plugged in here (see JoinWiring.h); until then
  // the button does nothing.
  using JoinHandler = std::function<Status(Form1&)>;

  explicit Form1(Form1Services services);
  ~Form1() override;

  // The click handlers the toolkit has a part in (the others are Form1Behaviour's). Called
  // directly they run without Dispatch()'s bookkeeping; clicks on the controls go through it.
  Status CmdSplit_Click();
  Status LblClose_Click();

  void SetJoinHandler(JoinHandler handler) { joinHandler_ = std::move(handler); }
  // The program ends with QCoreApplication::exit(0) unless SetEndAction says otherwise.

  // Shows the window with its client area centred on the primary screen.
  void ShowCentred();

  // The join run's view of the window (the rest is Form1Behaviour's).
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
  // Runs a handler of this window through Form1Behaviour::Dispatch.
  using form::Form1Behaviour::Dispatch;
  void Dispatch(Status (Form1::*handler)()) {
    Dispatch([this, handler] { return (this->*handler)(); });
  }
  shell::WindowHandle DialogOwner() override { return static_cast<QWidget*>(this); }
  void ShowSourceFolder(const std::string& folder) override;
  // Unloads the window and ends the program as soon as no handler runs.
  void EndProgram();
  QWidget* ControlWidget(join::Control control) const;

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
