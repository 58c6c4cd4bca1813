// Joins documents into one with the native engine, as the join run drives it, and prints how
// long it took and how much memory it needed.
//
//   plenwick-engine-join [--save-each [--wait-for-saves]] [--quiet] OUT IN... | --inputs-from LIST
//
// --save-each saves after every appended document, as the join run does: each save goes on while
// the next document is appended. --wait-for-saves finishes each save before the next document
// instead, to show what that overlap gains. Without --save-each the result is saved once at the
// end.
//
// With --save-each it then measures the disk alone: as many saves as were made, each of the bytes
// an average save wrote, with the same file operations and flushes as a save but nothing joined.
// A join saving after each document goes no faster than that.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "word/WordApi.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: plenwick-engine-join [--save-each [--wait-for-saves]] [--quiet] OUT IN... | "
               "--inputs-from LIST\n");
  return 2;
}

using Clock = std::chrono::steady_clock;

// Bytes this process has handed to write calls so far (Linux's own count).
std::uint64_t BytesWritten() {
  std::ifstream io("/proc/self/io");
  std::string key;
  std::uint64_t value = 0;
  while (io >> key >> value) {
    if (key == "wchar:") return value;
  }
  return 0;
}

// Wall and processor seconds something took.
struct Spent {
  double wall = -1;  // negative when it could not be measured
  double processor = 0;
};

double Seconds(const rusage& usage) {
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ThisThreadsProcessor() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return Seconds(usage);
}

// What the disk takes for `saves` saves of `bytes` bytes each, made the way the engine makes
// them but with nothing to join: the bytes written at the end of the file the saves take turns
// with, which grows by `growth` a save as the output does, and flushed; the last output kept
// under the other name, the written file renamed over the output, the folder flushed. A file
// that grows costs its flush a journal commit, so the growth matters.
Spent DiskFloor(const std::string& out, std::uint64_t saves, std::uint64_t bytes,
                std::uint64_t growth) {
  const std::string target = out + ".floor";
  std::string spare = out + ".floor-a";
  std::string kept = out + ".floor-b";
  const std::string folderPath = std::filesystem::absolute(target).parent_path().string();
  const int folder = open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return {};
  const std::string block(bytes, 'x');
  const auto start = Clock::now();
  const double processorBefore = ThisThreadsProcessor();
  bool ok = true;
  for (std::uint64_t i = 0; ok && i < saves; ++i) {
    const int file = open(spare.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    const std::uint64_t size = growth * (i + 1);
    const auto at = static_cast<off_t>(size > bytes ? size - bytes : 0);
    ok = file >= 0 && pwrite(file, block.data(), block.size(), at) == static_cast<ssize_t>(bytes) &&
         fdatasync(file) == 0;
    if (file >= 0) ok = close(file) == 0 && ok;
    if (i > 0) ok = ok && link(target.c_str(), kept.c_str()) == 0;
    ok = ok && rename(spare.c_str(), target.c_str()) == 0 && fsync(folder) == 0;
    std::swap(spare, kept);
  }
  const Spent spent{std::chrono::duration<double>(Clock::now() - start).count(),
                    ThisThreadsProcessor() - processorBefore};
  close(folder);
  for (const std::string& path : {target, spare, kept}) unlink(path.c_str());
  return ok ? spent : Spent{};
}

}  // namespace

int main(int argc, char** argv) {
  bool saveEach = false;
  bool waitForSaves = false;
  bool quiet = false;
  std::string out;
  std::vector<std::string> inputs;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--save-each") {
      saveEach = true;
    } else if (a == "--wait-for-saves") {
      waitForSaves = true;
    } else if (a == "--quiet") {
      quiet = true;
    } else if (a == "--inputs-from" && i + 1 < argc) {
      std::ifstream list(argv[++i]);
      for (std::string line; std::getline(list, line);) {
        if (!line.empty()) inputs.push_back(line);
      }
    } else if (a.starts_with("--")) {
      return Usage();  // --help, or an option it does not know, is no file to write over
    } else if (out.empty()) {
      out = a;
    } else {
      inputs.push_back(a);
    }
  }
  if (out.empty()) return Usage();

  const std::uint64_t writtenBefore = BytesWritten();
  auto start = Clock::now();
  auto app = plenwick::word::CreateObject("Word.Application");
  if (!app) {
    std::fprintf(stderr, "%s\n", app.error().message.c_str());
    return 1;
  }
  auto docs = (*app)->Documents();
  if (!docs) return 1;
  auto doc = (*docs)->Add();
  if (!doc) return 1;
  int joined = 0;
  int failed = 0;
  int saveFailures = 0;
  bool saving = false;  // a save goes on in the background
  const auto finishSave = [&] {
    if (!std::exchange(saving, false)) return;
    if (plenwick::Status saved = (*doc)->FinishSaving(); !saved) {
      ++saveFailures;
      std::fprintf(stderr, "save failed: %s\n", saved.error().message.c_str());
    }
  };
  for (const std::string& input : inputs) {
    auto range = (*doc)->Range();
    if (!range) return 1;
    (void)(*range)->Collapse(plenwick::word::kCollapseEnd);
    plenwick::Status s = (*range)->InsertFile(input);
    if (s) {
      ++joined;
    } else {
      ++failed;
      std::fprintf(stderr, "failed: %s: %s\n", input.c_str(), s.error().message.c_str());
    }
    if (saveEach) {
      finishSave();
      plenwick::Status begun = waitForSaves ? (*doc)->SaveAs(out) : (*doc)->BeginSaveAs(out);
      if (begun) {
        saving = !waitForSaves;
      } else {
        ++saveFailures;
        std::fprintf(stderr, "save failed: %s\n", begun.error().message.c_str());
      }
    }
  }
  finishSave();
  if (!saveEach) {
    plenwick::Status saved = (*doc)->SaveAs(out);
    if (!saved) {
      std::fprintf(stderr, "save failed: %s\n", saved.error().message.c_str());
      return 1;
    }
  }
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const std::uint64_t written = BytesWritten() - writtenBefore;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  // On a busy machine wall time mostly measures the neighbours; processor time is the join's.
  const double processor = Seconds(usage);
  // Saves go on on a thread of their own: what the joining thread spent shows what they cost
  // it by sharing the machine.
  const double joiningProcessor = ThisThreadsProcessor();
  if (!quiet) {
    std::printf(
        "joined %d of %zu documents (%d failed) into %s in %.3f s (processor %.3f s), %s, "
        "joining thread %.3f s, peak memory %.1f MB\n",
        joined, inputs.size(), failed, out.c_str(), seconds, processor,
        saveEach ? "saving after each" : "saving once", joiningProcessor,
        static_cast<double>(usage.ru_maxrss) / 1024.0);
  }
  if (!quiet && saveEach && !inputs.empty()) {
    const std::uint64_t saves = inputs.size();
    std::error_code error;
    const std::uint64_t size = std::filesystem::file_size(out, error);
    const Spent floor = error ? Spent{} : DiskFloor(out, saves, written / saves, size / saves);
    if (floor.wall < 0) {
      std::printf("the disk alone: could not be measured beside %s\n", out.c_str());
    } else {
      // The processor time is the system's own work of writing and flushing.
      std::printf(
          "the disk alone: %llu saves of %.0f KB, nothing joined, in %.3f s (processor %.3f s)\n",
          static_cast<unsigned long long>(saves), static_cast<double>(written / saves) / 1024.0,
          floor.wall, floor.processor);
    }
  }
  return saveFailures == 0 ? 0 : 1;
}
