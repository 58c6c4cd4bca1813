#include <sys/ioctl.h>
#include <unistd.h>

#include <initializer_list>

#include "cli/Console.h"

namespace plenwick::cli {
namespace {

constexpr int kDefaultColumns = 80;

volatile std::sig_atomic_t* flag = nullptr;

extern "C" void OnInterrupt(int) {
  if (flag != nullptr) *flag = 1;
}

}  // namespace

bool IsTerminal(std::FILE* out) {
  return isatty(fileno(out)) != 0;
}

int TerminalColumns(std::FILE* out) {
  winsize size{};
  if (ioctl(fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return kDefaultColumns;
}

void PrepareConsole(volatile std::sig_atomic_t* interrupted) {
  flag = interrupted;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace plenwick::cli
