// plenwick-snapshot OUT_DIR
// Writes pictures of the main window: initial.png (as it opens) and status.png (after a source
// folder was chosen: the status area and the red prompt shown, "Join Documents" enabled).
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise; QT_SCALE_FACTOR=2 gives
// the pictures of a screen with twice the pixel density.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <string>

#include "app/Form1.h"
#include "app/Program.h"
#include "shell/qt/DesktopShellOpen.h"
#include "shell/qt/EventYield.h"
#include "shell/qt/QtMessageBox.h"

namespace {

// Answers every folder question with one fixed folder, as a user would.
class FixedPicker final : public plenwick::shell::FolderPickerService {
 public:
  std::string Pick(plenwick::shell::WindowHandle, const std::string&, const std::string&) override {
    return "/home/user/Documents/Quarterly reports";
  }
};

bool Save(QWidget& window, const QDir& folder, const char* name) {
  QApplication::processEvents();
  const QString path = folder.filePath(QString::fromLatin1(name));
  if (!window.grab().save(path, "PNG")) {
    std::fprintf(stderr, "plenwick-snapshot: cannot write %s\n", qUtf8Printable(path));
    return false;
  }
  std::printf("%s\n", qUtf8Printable(path));
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: plenwick-snapshot OUT_DIR\n");
    return 64;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  if (!QDir().mkpath(folder.path())) {
    std::fprintf(stderr, "plenwick-snapshot: cannot create %s\n", argv[1]);
    return 1;
  }

  plenwick::app::SetUpApplication();
  plenwick::shell::QtMessageBox messages;
  plenwick::shell::DesktopShellOpen opener;
  FixedPicker picker;
  plenwick::shell::EventYield yield;
  plenwick::app::Form1 form({messages, opener, picker, yield});
  form.ShowCentred();

  bool ok = Save(form, folder, "initial.png");
  (void)form.CmdBrowse_Click();
  ok = Save(form, folder, "status.png") && ok;
  return ok ? 0 : 1;
}
