// The converter helper as seen from the program: started with posix_spawn (safe in a program
// with threads), its own process group, a request pipe, a reply pipe and a lifeline pipe whose
// closing (also by the kernel when the program dies) makes it end its office and clean up.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace plenwick::word::legacy {

class HelperProcess {
 public:
  HelperProcess() = default;
  ~HelperProcess() { Kill(); }
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  // Starts program with args; false (and why) when it cannot be started.
  bool Spawn(const std::string& program, const std::vector<std::string>& args, std::string& why);
  bool Running() const { return pid_ > 0; }
  // Running, and not exited since: reaps a helper that ended on its own.
  bool Alive();
  pid_t Pid() const { return pid_; }

  bool WriteLine(const std::string& line);
  enum class ReadStatus { kLine, kTimedOut, kClosed };
  // Waits for one reply line until the deadline.
  ReadStatus ReadLine(std::chrono::steady_clock::time_point deadline, std::string& line);

  // Asks the helper to finish (closes its input and lifeline), waits up to grace, then kills it.
  void Stop(std::chrono::milliseconds grace);
  // Kills the helper's process group at once and reaps it.
  void Kill();

 private:
  void CloseFds();

  pid_t pid_ = -1;
  int toHelper_ = -1;
  int fromHelper_ = -1;
  int lifeline_ = -1;
  std::string buffer_;
};

}  // namespace plenwick::word::legacy
