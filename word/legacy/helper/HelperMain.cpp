// plenwick-legacy-helper: runs one private office for the converter and converts files through
// it on request. Ends the office, and removes the work folder, when the program that started it
// lets go of the lifeline pipe, exits or dies.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "word/legacy/LegacyErrors.h"
#include "word/legacy/helper/HelperProtocol.h"
#include "word/legacy/helper/OfficeProcess.h"
#include "word/legacy/helper/UnoSession.h"

namespace legacy = plenwick::word::legacy;
namespace helper = plenwick::word::legacy::helper;

namespace {

std::atomic<pid_t> gOfficePid{-1};
std::string gWorkDir;
std::vector<std::string> gPipeFiles;

// Everything this helper leaves behind when it goes. The work folder is the program's, and is
// removed here only when the program is gone.
void CleanUp(bool programGone) {
  const pid_t office = gOfficePid.exchange(-1);
  if (office > 0) {
    kill(-office, SIGKILL);
    kill(office, SIGKILL);
  }
  for (const auto& p : gPipeFiles) unlink(p.c_str());
  std::error_code ec;
  if (programGone && !gWorkDir.empty()) std::filesystem::remove_all(gWorkDir, ec);
}

void WatchLifeline() {
  pollfd fd{legacy::protocol::kLifelineFd, POLLIN, 0};
  for (;;) {
    const int r = poll(&fd, 1, -1);
    if (r < 0 && errno == EINTR) continue;
    char c = 0;
    // The program never writes to the lifeline: readable means it was closed.
    if (r < 0 || (fd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 ||
        read(legacy::protocol::kLifelineFd, &c, 1) <= 0) {
      break;
    }
  }
  CleanUp(true);
  _exit(0);
}

void Reply(const std::string& line) {
  std::cout << line << '\n' << std::flush;
}

std::string Clean(std::string s) {
  for (char& c : s) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return s;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> out(1);
  for (char c : line) {
    if (c == '\t') {
      out.emplace_back();
    } else {
      out.back().push_back(c);
    }
  }
  return out;
}

[[noreturn]] void Finish(int code) {
  std::cout.flush();
  CleanUp(false);
  // The UNO runtime's own teardown may wait on a dead connection: skip it.
  _exit(code);
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> opt;
  for (int i = 1; i + 1 < argc; i += 2) opt[argv[i]] = argv[i + 1];
  const std::string office = opt["--office"];
  const std::string profileUrl = opt["--profile-url"];
  const std::string pipeName = opt["--pipe"];
  gWorkDir = opt["--work-dir"];
  const long startLimitMs = std::strtol(opt["--start-limit-ms"].c_str(), nullptr, 10);
  if (office.empty() || profileUrl.empty() || pipeName.empty()) {
    Reply(std::string(legacy::protocol::kFail) + "\tthe converter helper was started wrongly");
    return 2;
  }
  // A connection that dies under a write must fail that write, not end this process.
  signal(SIGPIPE, SIG_IGN);
  std::thread(WatchLifeline).detach();

  const std::string programDir = std::filesystem::path(office).parent_path().string();
  setenv("UNO_PATH", programDir.c_str(), 1);
  setenv("URE_BOOTSTRAP", ("vnd.sun.star.pathname:" + programDir + "/fundamentalrc").c_str(), 1);
  gPipeFiles = {helper::UnoPipePath(pipeName), helper::OfficeInstancePipePath(profileUrl)};

  helper::OfficeProcess process({office, profileUrl, pipeName});
  if (!process.Start()) {
    Reply(std::string(legacy::protocol::kFail) + "\tLibreOffice cannot be started");
    Finish(3);
  }
  gOfficePid = process.Pid();
  helper::UnoSession session;
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(startLimitMs > 0 ? startLimitMs : 60000);
  std::string why;
  for (;;) {
    if (!process.Alive()) {
      Reply(std::string(legacy::protocol::kFail) + "\tLibreOffice ended while starting");
      Finish(3);
    }
    gOfficePid = process.Pid();
    if (session.TryConnect(pipeName, why)) break;
    if (std::chrono::steady_clock::now() > deadline) {
      Reply(std::string(legacy::protocol::kFail) + "\tLibreOffice did not start in time (" +
            Clean(why) + ")");
      Finish(3);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  Reply(std::string(legacy::protocol::kReady) + "\t" + std::to_string(process.Pid()) + "\t" +
        gPipeFiles[1]);

  std::string line;
  while (std::getline(std::cin, line)) {
    const auto f = SplitTabs(line);
    if (f.size() != 5 || f[0] != legacy::protocol::kConvert) {
      Reply(std::string(legacy::protocol::kErr) + "\t" +
            std::to_string(legacy::codes::kConversionFailed) + "\tunknown request");
      continue;
    }
    const helper::ConversionOutcome r = session.Convert(f[1], f[2], f[3], f[4]);
    using Kind = helper::ConversionOutcome::Kind;
    if (r.kind == Kind::kOk) {
      Reply(legacy::protocol::kOk);
      continue;
    }
    const bool lost = r.kind == Kind::kOfficeLost && !process.Alive();
    int code = legacy::codes::kDamaged;
    if (r.kind == Kind::kPasswordProtected) code = legacy::codes::kPasswordProtected;
    if (lost) code = legacy::codes::kConversionFailed;
    Reply(std::string(legacy::protocol::kErr) + "\t" + std::to_string(code) + "\t" +
          Clean(lost ? "the converter crashed" : r.reason));
    if (lost) Finish(4);
  }
  Finish(0);
}
