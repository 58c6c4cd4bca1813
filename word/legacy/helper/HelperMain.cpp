// plenwick-legacy-helper: runs one private office for the converter and converts files through
// it on request. Ends the office, and removes the work folder, when the program that started it
// lets go of the lifeline pipe, exits or dies.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <mutex>
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
  // The lifeline watcher and the main thread may both get here when the program dies.
  static std::mutex once;
  std::lock_guard lock(once);
  const pid_t office = gOfficePid.exchange(-1);
  if (office > 0) {
    kill(-office, SIGKILL);
    kill(office, SIGKILL);
    // Dead before its files go, or it may write into the folder while it is being removed.
    for (int i = 0; i < 200; ++i) {
      const pid_t r = waitpid(office, nullptr, WNOHANG);
      if (r == office || (r < 0 && errno != EINTR)) break;
      usleep(10000);
    }
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

// Starts the office and connects to it, within the time limit.
bool StartOffice(helper::OfficeProcess& process, helper::UnoSession& session,
                 const std::string& pipeName, long limitMs, std::string& why) {
  process.Kill();
  if (!process.Start()) {
    why = "LibreOffice cannot be started";
    return false;
  }
  gOfficePid = process.Pid();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  std::string detail;
  for (;;) {
    if (!process.Alive()) {
      why = "LibreOffice ended while starting";
      return false;
    }
    gOfficePid = process.Pid();
    if (session.TryConnect(pipeName, detail)) return true;
    if (std::chrono::steady_clock::now() > deadline) {
      why = "LibreOffice did not start in time (" + detail + ")";
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

// One request line from stdin. Not through std::cin: a signal the UNO runtime handles (the
// office's SIGCHLD among them) can interrupt the read, which iostreams take for the end.
bool ReadRequest(std::string& line) {
  static std::string buffer;
  for (;;) {
    if (const auto nl = buffer.find('\n'); nl != std::string::npos) {
      line = buffer.substr(0, nl);
      buffer.erase(0, nl + 1);
      return true;
    }
    char chunk[4096];
    const ssize_t n = read(0, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    buffer.append(chunk, static_cast<std::size_t>(n));
  }
}

bool LifelineBroken() {
  pollfd fd{legacy::protocol::kLifelineFd, POLLIN, 0};
  return poll(&fd, 1, 0) != 0;
}

[[noreturn]] void Finish(int code) {
  std::cout.flush();
  CleanUp(LifelineBroken());
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
  // The office makes a folder of its own in the temporary folder at every start and leaves it
  // there: it gets one inside our work folder, which goes with the run.
  if (!gWorkDir.empty()) {
    const std::string temp = gWorkDir + "/tmp";
    std::error_code ec;
    std::filesystem::create_directories(temp, ec);
    if (!ec) {
      setenv("TMPDIR", temp.c_str(), 1);
      setenv("TMP", temp.c_str(), 1);
      setenv("TEMP", temp.c_str(), 1);
    }
  }
  gPipeFiles = {helper::UnoPipePath(pipeName), helper::OfficeInstancePipePath(profileUrl)};
  // Told first, so the program can tidy the office's pipe even if this helper dies starting it.
  Reply(std::string(legacy::protocol::kPipe) + "\t" + gPipeFiles[1]);

  helper::OfficeProcess process({office, profileUrl, pipeName});
  helper::UnoSession session(gWorkDir);
  const long limitMs = startLimitMs > 0 ? startLimitMs : 60000;
  std::string why;
  if (!StartOffice(process, session, pipeName, limitMs, why)) {
    Reply(std::string(legacy::protocol::kFail) + "\t" + Clean(why));
    Finish(3);
  }
  Reply(std::string(legacy::protocol::kReady) + "\t" + std::to_string(process.Pid()));

  std::string line;
  while (ReadRequest(line)) {
    const auto f = legacy::protocol::SplitTabs(line);
    if ((f.size() != 6 && f.size() != 7) || f[0] != legacy::protocol::kConvert) {
      Reply(std::string(legacy::protocol::kErr) + "\t" +
            std::to_string(legacy::codes::kConversionFailed) + "\tunknown request");
      continue;
    }
    // An office that died while idle is started again rather than failing the next file.
    if ((!process.Alive() || !session.Healthy()) &&
        !StartOffice(process, session, pipeName, limitMs, why)) {
      Reply(std::string(legacy::protocol::kErr) + "\t" +
            std::to_string(legacy::codes::kConversionFailed) + "\t" + Clean(why));
      Finish(4);
    }
    const helper::ConversionOutcome r = session.Convert(
        {f[1], f[2], f[3], f[4], f[5], f.size() == 7 && f[6] == legacy::protocol::kTargetPdf},
        [&] { return process.Alive(); });
    using Kind = helper::ConversionOutcome::Kind;
    if (r.kind == Kind::kOk) {
      Reply(std::string(legacy::protocol::kOk) + "\t" + std::to_string(process.Pid()));
      continue;
    }
    // An office lost in the middle fails this file; the next request starts a new one.
    const bool lost = r.kind == Kind::kOfficeLost;
    if (lost) process.Kill();
    int code = legacy::codes::kDamaged;
    if (r.kind == Kind::kPasswordProtected) code = legacy::codes::kPasswordProtected;
    if (lost) code = legacy::codes::kConversionFailed;
    Reply(std::string(legacy::protocol::kErr) + "\t" + std::to_string(code) + "\t" +
          Clean(r.reason));
  }
  Finish(0);
}
