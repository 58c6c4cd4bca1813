// Start-up: the application's identity, the services and the window, shown centred.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "app/Form1.h"
#include "shell/RememberingPicker.h"
#include "shell/qt/DesktopShellOpen.h"
#include "shell/qt/EventYield.h"
#include "shell/qt/QtFolderPicker.h"
#include "shell/qt/QtMessageBox.h"
#include "shell/qt/QtSettingsStore.h"

namespace plenwick::app {

// The settings that remember the last source and destination folder, by dialog title.
std::map<std::string, std::string> RememberedFolders();

// Everything the running program holds; the window is released first.
struct Program {
  shell::QtMessageBox messages;
  shell::DesktopShellOpen opener;
  shell::QtSettingsStore settings;
  shell::QtFolderPicker dialogs;
  // Browse and the destination question open where the user was the last time.
  shell::RememberingPicker picker{dialogs, settings, RememberedFolders()};
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
