#include <io.h>
#include <windows.h>

#include "cli/Console.h"

namespace plenwick::cli {
namespace {

constexpr int kDefaultColumns = 80;

volatile std::sig_atomic_t* flag = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (flag == nullptr) return FALSE;
  *flag = 1;
  // Closing the window, logging off or shutting down ends the process when this returns: give
  // the join a moment to finish the document it is on (the system allows about five seconds).
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    Sleep(4000);
  }
  return TRUE;
}

HANDLE ConsoleOf(std::FILE* out) {
  const intptr_t handle = _get_osfhandle(_fileno(out));
  return handle == -1 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(handle);
}

}  // namespace

bool IsTerminal(std::FILE* out) {
  DWORD mode = 0;
  return GetConsoleMode(ConsoleOf(out), &mode) != 0;
}

int TerminalColumns(std::FILE* out) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (GetConsoleScreenBufferInfo(ConsoleOf(out), &info)) {
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    if (columns > 0) return columns;
  }
  return kDefaultColumns;
}

void PrepareConsole(volatile std::sig_atomic_t* interrupted) {
  flag = interrupted;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  // The program speaks UTF-8 (its manifest makes that the process's code page); so must the
  // console that shows it.
  SetConsoleOutputCP(CP_UTF8);
}

}  // namespace plenwick::cli
