// Start-up on Windows: the services and the window, shown centred, and the message loop.
#pragma once

#include "shell/win32/WindowsHeaders.h"

#include <memory>

#include "app/win32/Win32Form1.h"
#include "form/RememberedFolders.h"
#include "shell/RememberingPicker.h"
#include "shell/win32/Win32EventYield.h"
#include "shell/win32/Win32FolderPicker.h"
#include "shell/win32/Win32MessageBox.h"
#include "shell/win32/Win32RegistryStore.h"
#include "shell/win32/Win32ShellOpen.h"

namespace plenwick::win32app {

// Everything the running program holds; the window is released first.
struct Program {
  Program();
  shell::Win32MessageBox messages;
  shell::Win32ShellOpen opener;
  shell::Win32RegistryStore settings;
  shell::Win32FolderPicker dialogs;
  // Browse and the destination question open where the user was the last time.
  shell::RememberingPicker picker{dialogs, settings, form::RememberedFolders()};
  shell::Win32EventYield yield;
  std::unique_ptr<Form1> form;
};

// Creates Form1 with the real services and makes the message boxes and the yield belong to it;
// the join run is not wired and the window not shown. An error when the window can't be made.
Result<std::unique_ptr<Program>> CreateProgram(HINSTANCE instance);

// Installs the join run as Form1's CmdSplit handler: its walker and file list live with the
// handler, as long as the window. Defined with the program (Win32JoinWiring.cpp), which links
// the run over the real engine.
void WireJoinRun(Form1& form);

// Runs the thread's message loop until the quit message; returns its exit code.
int RunMessageLoop(const Form1& form);

}  // namespace plenwick::win32app
