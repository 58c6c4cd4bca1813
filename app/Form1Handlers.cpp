// The handlers in which the Qt window has a part: the chosen folder shown, "Join Documents", and
// the window closed.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/ClickLabel.h"
#include "app/Form1.h"
#include "form/Form1Layout.h"

namespace plenwick::app {

void Form1::ShowSourceFolder(const std::string& folder) {
  txtvCFPath->setText(QString::fromUtf8(folder.data(), static_cast<qsizetype>(folder.size())));
  for (const std::string_view name : form::ShownBySourceFolder())
    ChildWidget(name)->setVisible(true);
  ChildWidget(form::kEnabledBySourceFolder)->setEnabled(true);
}

Status Form1::CmdSplit_Click() {
  if (!joinHandler_) return Ok();
  return joinHandler_(*this);
}

Status Form1::LblClose_Click() {
  // Unloading the window ends the program (closeEvent); running handlers unwind first.
  close();
  return Ok();
}

}  // namespace plenwick::app
