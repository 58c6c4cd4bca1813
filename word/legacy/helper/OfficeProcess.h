// Starts the office (soffice.bin) with a private profile, listening on a private pipe, and ends
// it. The office dies with the helper (parent-death signal) and is killed as a process group.
#pragma once

#include <sys/types.h>

#include <string>

namespace plenwick::word::legacy::helper {

struct OfficeCommand {
  std::string program;     // .../program/soffice.bin
  std::string profileUrl;  // file:///.../profile
  std::string pipeName;    // the UNO pipe the office accepts connections on
};

class OfficeProcess {
 public:
  explicit OfficeProcess(OfficeCommand command) : command_(std::move(command)) {}
  ~OfficeProcess() { Kill(); }
  OfficeProcess(const OfficeProcess&) = delete;
  OfficeProcess& operator=(const OfficeProcess&) = delete;

  // Starts the office; false when it cannot be started at all.
  bool Start();
  // True while the office runs. When a fresh profile made it exit asking for a restart, starts
  // it again, as its own launcher would.
  bool Alive();
  void Kill();
  pid_t Pid() const { return pid_; }

 private:
  OfficeCommand command_;
  pid_t pid_ = -1;
  int restarts_ = 0;
};

}  // namespace plenwick::word::legacy::helper
