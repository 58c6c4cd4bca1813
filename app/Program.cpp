#include "app/Program.h"

#include <QApplication>

#include "app/Artwork.h"
#include "app/JoinWiring.h"
#include "form/RememberedFolders.h"

#ifndef PLENWICK_DISPLAY_VERSION
#error "PLENWICK_DISPLAY_VERSION must give the version people see"
#endif

namespace plenwick::app {

std::map<std::string, std::string> RememberedFolders() {
  return form::RememberedFolders();
}

void SetUpApplication() {
  QApplication::setApplicationName(QStringLiteral("Plenwick"));
  QApplication::setOrganizationName(QStringLiteral("Tarvik"));
  QApplication::setApplicationVersion(QStringLiteral(PLENWICK_DISPLAY_VERSION));
  QApplication::setWindowIcon(ProgramIcon());
  // Lets the desktop match the window to its launcher entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("com.tarvik.Plenwick"));
  // The program ends when Form1 says so, after every running handler has returned; Qt must not
  // end it earlier because the last window went away.
  QApplication::setQuitOnLastWindowClosed(false);
}

std::unique_ptr<Program> StartProgram() {
  SetUpApplication();
  auto program = std::make_unique<Program>();
  program->form = std::make_unique<Form1>(
      Form1Services{program->messages, program->opener, program->picker, program->yield});
  WireJoinRun(*program->form);
  program->form->ShowCentred();
  return program;
}

int RunProgram() {
  const std::unique_ptr<Program> program = StartProgram();
  return QApplication::exec();
}

}  // namespace plenwick::app
