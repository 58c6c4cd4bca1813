#include "word/legacy/helper/OfficeProcess.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace plenwick::word::legacy::helper {
namespace {

// soffice.bin's exit code when a new profile wants the process started again.
constexpr int kRestartRequested = 81;

// Async-signal-safe: for the child between fork and exec.
void WriteFile(const char* path, const char* text) {
  const int fd = open(path, O_WRONLY);
  if (fd < 0) return;
  (void)!write(fd, text, strlen(text));
  close(fd);
}

}  // namespace

bool OfficeProcess::Start() {
  std::vector<std::string> args{
      command_.program,
      "--headless",
      "--invisible",
      "--nologo",
      "--norestore",
      "--nodefault",
      "--nolockcheck",
      "--nofirststartwizard",
      "-env:UserInstallation=" + command_.profileUrl,
      "--accept=pipe,name=" + command_.pipeName + ";urp;StarOffice.ComponentContext"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  // The office's own messages only when someone is looking into a problem.
  const bool quiet = std::getenv("PLENWICK_LEGACY_DEBUG") == nullptr;
  // The office gets a network of its own with nothing in it, so it cannot fetch what a document
  // links to (pictures and style sheets of web pages, linked files). Prepared before fork: the
  // child may only make async-signal-safe calls.
  const std::string uidMap = std::to_string(getuid()) + " " + std::to_string(getuid()) + " 1\n";
  const std::string gidMap = std::to_string(getgid()) + " " + std::to_string(getgid()) + " 1\n";
  // Tests turn the network namespace off to check the profile's proxy holds on its own.
  const bool isolate = std::getenv("PLENWICK_TEST_NO_NETNS") == nullptr;
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    // Only async-signal-safe calls from here to exec.
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    if (isolate && unshare(CLONE_NEWUSER | CLONE_NEWNET) == 0) {
      WriteFile("/proc/self/setgroups", "deny");
      WriteFile("/proc/self/uid_map", uidMap.c_str());
      WriteFile("/proc/self/gid_map", gidMap.c_str());
    }
    const int devnull = open("/dev/null", O_RDWR);
    if (devnull >= 0) {
      dup2(devnull, 0);
      dup2(devnull, 1);
      if (quiet) dup2(devnull, 2);
    }
    closefrom(3);
    execv(argv[0], argv.data());
    _exit(127);
  }
  setpgid(pid, pid);
  pid_ = pid;
  return true;
}

bool OfficeProcess::Alive() {
  if (pid_ <= 0) return false;
  int status = 0;
  const pid_t r = waitpid(pid_, &status, WNOHANG);
  if (r == 0) return true;
  kill(-pid_, SIGKILL);  // anything it left in its group
  pid_ = -1;
  if (r == -1) return false;
  if (WIFEXITED(status) && WEXITSTATUS(status) == kRestartRequested && restarts_ < 3) {
    ++restarts_;
    return Start();
  }
  return false;
}

void OfficeProcess::Kill() {
  if (pid_ <= 0) return;
  kill(-pid_, SIGKILL);
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace plenwick::word::legacy::helper
