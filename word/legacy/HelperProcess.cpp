#include "word/legacy/HelperProcess.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <thread>

#include "word/legacy/helper/HelperProtocol.h"

extern char** environ;

namespace plenwick::word::legacy {
namespace {

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

struct SpawnSetup {
  posix_spawn_file_actions_t actions{};
  posix_spawnattr_t attr{};
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

}  // namespace

bool HelperProcess::Spawn(const std::string& program, const std::vector<std::string>& args,
                          std::string& why) {
  Kill();
  int in[2] = {-1, -1};
  int out[2] = {-1, -1};
  int life[2] = {-1, -1};
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(life, O_CLOEXEC) != 0) {
    why = std::string("cannot make pipes: ") + std::strerror(errno);
    for (int* p : {in, out, life}) {
      CloseFd(p[0]);
      CloseFd(p[1]);
    }
    return false;
  }
  SpawnSetup s;
  posix_spawn_file_actions_adddup2(&s.actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&s.actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&s.actions, life[0], protocol::kLifelineFd);
  if (std::getenv("PLENWICK_LEGACY_DEBUG") == nullptr) {
    posix_spawn_file_actions_addopen(&s.actions, 2, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addclosefrom_np(&s.actions, protocol::kLifelineFd + 1);
  // Its own process group, so that a terminal's Ctrl+C reaches the program first, and default
  // signal handling whatever the program set up for itself.
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int sig : {SIGPIPE, SIGCHLD, SIGTERM, SIGINT, SIGHUP}) sigaddset(&defaults, sig);
  posix_spawnattr_setpgroup(&s.attr, 0);
  posix_spawnattr_setsigmask(&s.attr, &none);
  posix_spawnattr_setsigdefault(&s.attr, &defaults);
  posix_spawnattr_setflags(&s.attr,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<std::string> all{program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.c_str(), &s.actions, &s.attr, argv.data(), environ);
  CloseFd(in[0]);
  CloseFd(out[1]);
  CloseFd(life[0]);
  if (rc != 0) {
    why = std::string("cannot start the converter helper: ") + std::strerror(rc);
    CloseFd(in[1]);
    CloseFd(out[0]);
    CloseFd(life[1]);
    return false;
  }
  pid_ = pid;
  toHelper_ = in[1];
  fromHelper_ = out[0];
  lifeline_ = life[1];
  buffer_.clear();
  return true;
}

bool HelperProcess::WriteLine(const std::string& line) {
  if (toHelper_ < 0) return false;
  const std::string data = line + "\n";
  // A helper that died turns a write into SIGPIPE, which would end the whole program: block it
  // for this thread and swallow the one this write raised, leaving the program's own handling be.
  sigset_t pipeOnly;
  sigemptyset(&pipeOnly);
  sigaddset(&pipeOnly, SIGPIPE);
  sigset_t pending;
  sigpending(&pending);
  const bool wasPending = sigismember(&pending, SIGPIPE) == 1;
  sigset_t old;
  pthread_sigmask(SIG_BLOCK, &pipeOnly, &old);
  std::size_t done = 0;
  bool ok = true;
  while (done < data.size()) {
    const ssize_t n = write(toHelper_, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      if (errno == EPIPE && !wasPending) {
        const timespec zero{0, 0};
        sigtimedwait(&pipeOnly, nullptr, &zero);
      }
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return ok;
}

HelperProcess::ReadStatus HelperProcess::ReadLine(std::chrono::steady_clock::time_point deadline,
                                                  std::string& line) {
  for (;;) {
    if (const auto nl = buffer_.find('\n'); nl != std::string::npos) {
      line = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      return ReadStatus::kLine;
    }
    if (fromHelper_ < 0) return ReadStatus::kClosed;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return ReadStatus::kTimedOut;
    pollfd p{fromHelper_, POLLIN, 0};
    const int r = poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return ReadStatus::kClosed;
    if (r == 0) continue;
    char chunk[4096];
    const ssize_t n = read(fromHelper_, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return ReadStatus::kClosed;
    // A reply is one short line; anything huge is not our helper talking.
    if (buffer_.size() > 1 << 20) return ReadStatus::kClosed;
    buffer_.append(chunk, static_cast<std::size_t>(n));
  }
}

bool HelperProcess::Alive() {
  if (pid_ <= 0) return false;
  if (waitpid(pid_, nullptr, WNOHANG) == 0) return true;
  pid_ = -1;
  CloseFds();
  return false;
}

void HelperProcess::CloseFds() {
  CloseFd(toHelper_);
  CloseFd(fromHelper_);
  CloseFd(lifeline_);
}

void HelperProcess::Stop(std::chrono::milliseconds grace) {
  if (pid_ <= 0) return;
  CloseFds();
  const auto deadline = std::chrono::steady_clock::now() + grace;
  while (std::chrono::steady_clock::now() < deadline) {
    const pid_t r = waitpid(pid_, nullptr, WNOHANG);
    if (r == pid_ || (r < 0 && errno == ECHILD)) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Kill();
}

void HelperProcess::Kill() {
  CloseFds();
  if (pid_ <= 0) return;
  kill(-pid_, SIGKILL);
  kill(pid_, SIGKILL);
  while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

}  // namespace plenwick::word::legacy
