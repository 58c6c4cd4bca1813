// The program has no command line: it shows its window and runs until the window is closed.
#include "shell/win32/WindowsHeaders.h"
// Windows first: COM's headers build on its types.
#include <objbase.h>

#include "app/win32/Win32Program.h"
#include "shell/win32/WideText.h"

namespace {

int Run(HINSTANCE instance) {
  using namespace plenwick;
  auto program = win32app::CreateProgram(instance);
  if (!program) {
    MessageBoxW(nullptr, shell::Utf16(program.error().message).c_str(),
                shell::Utf16(shell::kAppTitle).c_str(), MB_OK | MB_ICONERROR);
    return 1;
  }
  win32app::Form1& form = *(*program)->form;
  win32app::WireJoinRun(form);
  form.ShowCentred();
  return win32app::RunMessageLoop(form);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  // The folder dialog and the picture decoder are COM objects of this, the window's, thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const int code = Run(instance);
  if (SUCCEEDED(com)) CoUninitialize();
  return code;
}
