#include "shell/qt/XdgOpen.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

extern char** environ;

namespace plenwick::shell {
namespace {

// xdg-open's documented exit statuses.
std::string ExitReason(int status) {
  switch (status) {
    case 1:
      return "the address was not understood";
    case 2:
      return "the file does not exist";
    case 3:
      return "no program is set up to open it";
    case 4:
      return "the program set up to open it failed";
    default:
      return "the opener ended with status " + std::to_string(status);
  }
}

}  // namespace

Status RunXdgOpen(const std::string& opener, const std::string& target,
                  std::chrono::milliseconds patience) {
  std::vector<char*> argv = {const_cast<char*>(opener.c_str()), const_cast<char*>(target.c_str()),
                             nullptr};
  pid_t child = 0;
  if (const int failed =
          posix_spawnp(&child, opener.c_str(), nullptr, nullptr, argv.data(), environ);
      failed != 0) {
    return MakeError(errc::kGeneric, opener + " could not be started: " + std::strerror(failed));
  }
  const auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    int status = 0;
    const pid_t ended = waitpid(child, &status, WNOHANG);
    if (ended == child) {
      if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return Ok();
      if (WIFEXITED(status)) return MakeError(errc::kGeneric, ExitReason(WEXITSTATUS(status)));
      return MakeError(errc::kGeneric,
                       "the opener was stopped by signal " + std::to_string(WTERMSIG(status)));
    }
    if (ended < 0 && errno != EINTR) return Ok();  // reaped elsewhere: nothing more to learn
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  // Still running: the page is on its way. Someone must reap it when it ends, without holding up
  // the window or killing what it started.
  std::thread([child] {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return Ok();
}

}  // namespace plenwick::shell
