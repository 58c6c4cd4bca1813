#include "app/win32/Win32Program.h"

namespace plenwick::win32app {

Program::Program() : yield([this] { return form != nullptr && form->programEnd().ending(); }) {}

Result<std::unique_ptr<Program>> CreateProgram(HINSTANCE instance) {
  auto program = std::make_unique<Program>();
  program->form = std::make_unique<Form1>(
      Form1Services{program->messages, program->opener, program->picker, program->yield}, instance);
  if (!program->form->created()) return program->form->created().error();
  program->messages.SetOwner(program->form->hwnd());
  program->yield.SetDialogWindow(program->form->hwnd());
  return program;
}

int RunMessageLoop(const Form1& form) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    const HWND window = form.hwnd();
    // Tab moves between the text box and the buttons as in a dialog.
    if (window == nullptr || !IsDialogMessageW(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return static_cast<int>(message.wParam);
}

}  // namespace plenwick::win32app
