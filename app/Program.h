// Start-up: the application's identity, the services and the window, shown centred.
#pragma once

#include <memory>

#include "app/Form1.h"
#include "shell/qt/DesktopShellOpen.h"
#include "shell/qt/EventYield.h"
#include "shell/qt/QtFolderPicker.h"
#include "shell/qt/QtMessageBox.h"

namespace plenwick::app {

// Everything the running program holds; the window is released first.
struct Program {
  shell::QtMessageBox messages;
  shell::DesktopShellOpen opener;
  shell::QtFolderPicker picker;
  shell::EventYield yield;
  std::unique_ptr<Form1> form;
};

// Sets the application's name, version and icon; the window's end decides when the program ends.
// Needs a QApplication.
void SetUpApplication();

// SetUpApplication(), then creates Form1 with the real services, wires the join run and shows
// the window centred.
std::unique_ptr<Program> StartProgram();

// Starts the program and runs it until the window has gone; returns the exit code.
int RunProgram();

}  // namespace plenwick::app
