// Walks a generated tree of 10,000 folders and 100,000 files with the walker over the platform's
// file system, and times `find TREE -type f | wc -l` on the same tree for comparison.
//
//   plenwick_bench_walk [folders [files-per-folder [rounds]]]
//
// The tree is built once in the temporary folder and removed at the end. Times are the median of
// the rounds, after one untimed pass of each so both start from a warm cache. Processor time is
// shown next to wall time because on a busy machine wall time mostly measures the neighbours.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "walk/StdFileSystem.h"
#include "walk/pathLogger.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace walk = plenwick::walk;

struct Silent final : plenwick::shell::MessageBoxService {
  void Show(std::string_view text, int) override {
    std::fprintf(stderr, "walker message: %.*s\n", static_cast<int>(text.size()), text.data());
  }
};

int Fail(const char* what) {
  std::perror(what);
  return 1;
}

// Folders numbered breadth-first, ten to a parent, each holding filesPerFolder files whose names
// mix documents and other files and need the natural order ("Chapter 2" before "Chapter 10").
bool BuildTree(const std::string& root, int folders, int filesPerFolder) {
  std::vector<std::string> paths{root};
  paths.reserve(static_cast<std::size_t>(folders) + 1);
  for (int i = 1; i <= folders; ++i) {
    const std::string& parent = paths[static_cast<std::size_t>((i - 1) / 10)];
    paths.push_back(parent + "/Folder " + std::to_string(i % 10 + (i / 10) % 3 * 10));
    if (mkdir(paths.back().c_str(), 0755) != 0) return false;
    for (int f = 1; f <= filesPerFolder; ++f) {
      const std::string file = paths.back() + (f % 3 == 0 ? "/notes " : "/Chapter ") +
                               std::to_string(f) + (f % 3 == 0 ? ".txt" : ".docx");
      const int fd = open(file.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
      if (fd < 0) return false;
      close(fd);
    }
  }
  return true;
}

// Wall and processor time of one timed step.
struct Times {
  double wall = 0;
  double cpu = 0;
};

double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

Times FindTimes(const std::string& root, long& counted) {
  const std::string command = "find '" + root + "' -type f | wc -l";
  const double cpuStart = CpuSeconds(RUSAGE_CHILDREN);
  const auto start = Clock::now();
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, -1};
  counted = -1;
  if (std::fscanf(pipe, "%ld", &counted) != 1) counted = -1;
  pclose(pipe);
  return {std::chrono::duration<double>(Clock::now() - start).count(),
          CpuSeconds(RUSAGE_CHILDREN) - cpuStart};
}

Times WalkTimes(const std::string& root, std::size_t& counted) {
  Silent messages;
  walk::pathLogger walker(walk::DefaultFileSystems(), messages);
  const double cpuStart = CpuSeconds(RUSAGE_SELF);
  const auto start = Clock::now();
  if (!walker.PathLogInit()) return {-1, -1};
  walker.fullFileNamesOnly(true);
  walker.LogPath(root);
  const walk::SharedTexts files = walker.fullFileNames();
  walker.Terminate();
  counted = files->Count();
  return {std::chrono::duration<double>(Clock::now() - start).count(),
          CpuSeconds(RUSAGE_SELF) - cpuStart};
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double Median(const std::vector<Times>& times, double Times::*which) {
  std::vector<double> values;
  for (const Times& t : times) values.push_back(t.*which);
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int folders = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int filesPerFolder = argc > 2 ? std::atoi(argv[2]) : 10;
  const int rounds = std::max(1, argc > 3 ? std::atoi(argv[3]) : 5);

  std::string root = (std::filesystem::temp_directory_path() / "plenwick-bench-XXXXXX").string();
  if (mkdtemp(root.data()) == nullptr) return Fail("mkdtemp");
  std::printf("tree: %s, %d folders, %d files\n", root.c_str(), folders, folders * filesPerFolder);
  const auto built = Clock::now();
  const bool ok = BuildTree(root, folders, filesPerFolder);
  std::printf("built in %.2f s\n", std::chrono::duration<double>(Clock::now() - built).count());

  // A tree being joined has usually sat still for a while; the file-system layer only reuses a
  // listing between the two opens of a folder once its last change is seconds old.
  std::this_thread::sleep_for(std::chrono::milliseconds(3500));

  int status = 0;
  if (!ok) {
    status = Fail("building the tree");
  } else {
    long found = 0;
    std::size_t walked = 0;
    FindTimes(root, found);
    const long beforeWalk = PeakKilobytes();
    WalkTimes(root, walked);
    const long afterWalk = PeakKilobytes();

    std::vector<Times> findTimes;
    std::vector<Times> walkTimes;
    for (int i = 0; i < rounds; ++i) {
      findTimes.push_back(FindTimes(root, found));
      walkTimes.push_back(WalkTimes(root, walked));
    }
    const double findWall = Median(findTimes, &Times::wall);
    const double walkWall = Median(walkTimes, &Times::wall);
    const double findCpu = Median(findTimes, &Times::cpu);
    const double walkCpu = Median(walkTimes, &Times::cpu);
    std::printf("median of %d rounds      wall        cpu (user+sys)\n", rounds);
    std::printf("find -type f | wc -l  %7.1f ms  %7.1f ms   %ld files\n", findWall * 1000,
                findCpu * 1000, found);
    std::printf("pathLogger walk       %7.1f ms  %7.1f ms   %zu files\n", walkWall * 1000,
                walkCpu * 1000, walked);
    std::printf("walk / find           %7.2fx     %7.2fx\n", walkWall / findWall,
                walkCpu / findCpu);
    std::printf("peak memory: %ld KiB before the first walk, %ld KiB after (walk ~%ld KiB)\n",
                beforeWalk, afterWalk, afterWalk - beforeWalk);
    if (found != static_cast<long>(walked)) {
      std::fprintf(stderr, "file counts differ\n");
      status = 1;
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
  return status;
}
