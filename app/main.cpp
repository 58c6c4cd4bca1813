// The program has no command line: it shows its window and runs until the window is closed.
#include <QApplication>

#include "app/Program.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  return plenwick::app::RunProgram();
}
