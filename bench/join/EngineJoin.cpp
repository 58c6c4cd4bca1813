// Joins documents into one with the native engine, as the join run drives it, and prints how
// long it took and how much memory it needed.
//
//   plenwick-engine-join [--save-each [--wait-for-saves]] [--quiet] OUT IN... | --inputs-from LIST
//
// --save-each saves after every appended document, as the join run does: each save goes on while
// the next document is appended. --wait-for-saves finishes each save before the next document
// instead, to show what that overlap gains. Without --save-each the result is saved once at the
// end.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
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
    } else if (out.empty()) {
      out = a;
    } else {
      inputs.push_back(a);
    }
  }
  if (out.empty()) return Usage();

  using Clock = std::chrono::steady_clock;
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
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  // On a busy machine wall time mostly measures the neighbours; processor time is the join's.
  const double processor =
      static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  // Saves go on on a thread of their own: what the joining thread spent shows what they cost
  // it by sharing the machine.
  rusage joining{};
  getrusage(RUSAGE_THREAD, &joining);
  const double joiningProcessor =
      static_cast<double>(joining.ru_utime.tv_sec + joining.ru_stime.tv_sec) +
      static_cast<double>(joining.ru_utime.tv_usec + joining.ru_stime.tv_usec) / 1e6;
  if (!quiet) {
    std::printf(
        "joined %d of %zu documents (%d failed) into %s in %.3f s (processor %.3f s), %s, "
        "joining thread %.3f s, peak memory %.1f MB\n",
        joined, inputs.size(), failed, out.c_str(), seconds, processor,
        saveEach ? "saving after each" : "saving once", joiningProcessor,
        static_cast<double>(usage.ru_maxrss) / 1024.0);
  }
  return saveFailures == 0 ? 0 : 1;
}
