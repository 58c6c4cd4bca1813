// plenwick-startup-bench [RUNS]
// Starts the program's window RUNS times (10 by default), each in a fresh process, and prints
// the time from starting the process until the window has been painted for the first time, with
// the points in between. Uses Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "FirstPaintProbe.h"

extern char** environ;

namespace {

constexpr const char* kProbeFlag = "--first-paint-probe";

long long MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

// One run: the probe's marks, in milliseconds since the process was spawned; empty on failure.
std::map<std::string, double> RunOnce() {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  std::string self = "/proc/self/exe";
  std::string flag = kProbeFlag;
  char* args[] = {self.data(), flag.data(), nullptr};

  const long long spawned = MonotonicNanoseconds();
  pid_t child = 0;
  const int failed = posix_spawn(&child, self.c_str(), &actions, nullptr, args, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (failed != 0) {
    close(pipeEnds[0]);
    return {};
  }
  std::string output;
  char buffer[512];
  for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
    output.append(buffer, static_cast<size_t>(got));
  }
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};

  std::map<std::string, double> marks;
  char name[64];
  long long at = 0;
  for (const char* line = output.c_str(); *line != '\0';) {
    if (std::sscanf(line, "%63s %lld", name, &at) == 2) {
      marks[name] = static_cast<double>(at - spawned) / 1e6;
    }
    const char* next = std::strchr(line, '\n');
    if (next == nullptr) break;
    line = next + 1;
  }
  return marks;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc >= 2 && std::strcmp(argv[1], kProbeFlag) == 0) {
    return plenwick::bench::RunFirstPaintProbe(argc, argv);
  }
  const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 10;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);

  const char* points[] = {"main", "application", "shown", "painted"};
  std::map<std::string, std::vector<double>> samples;
  for (int run = 0; run < runs; ++run) {
    const auto marks = RunOnce();
    if (!marks.count("painted")) {
      std::fprintf(stderr, "plenwick-startup-bench: run %d did not paint the window\n", run + 1);
      return 1;
    }
    for (const char* point : points) samples[point].push_back(marks.at(point));
  }
  std::printf("start-up of the window, %d runs, platform %s, ms since the process was spawned\n",
              runs, std::getenv("QT_QPA_PLATFORM"));
  std::printf("%-34s %8s %8s %8s\n", "point", "min", "median", "max");
  const char* labels[] = {"main() entered (libraries loaded)", "QApplication created",
                          "Form1 created and shown", "window first painted"};
  for (size_t i = 0; i < std::size(points); ++i) {
    std::vector<double>& values = samples[points[i]];
    std::sort(values.begin(), values.end());
    std::printf("%-34s %8.1f %8.1f %8.1f\n", labels[i], values.front(), values[values.size() / 2],
                values.back());
  }
  return 0;
}
