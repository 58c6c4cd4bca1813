// What plenwick-join does once its command line is understood: the same walk, document test, Word
// layer, output name and failure reporting as the window's "Join Documents", with a terminal's
// progress and exit statuses instead of a window.
#pragma once

#include <csignal>
#include <cstdio>

#include "cli/CommandLine.h"
#include "walk/FileSystem.h"
#include "word/WordApi.h"

namespace plenwick::cli {

struct JoinEnvironment {
  word::ApplicationFactory applications;
  walk::FileSystemFactory fileSystems;
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  // Set (from a signal handler) to stop between two documents; the output keeps its last save.
  const volatile std::sig_atomic_t* interrupted = nullptr;
};

// Runs --list or a join; returns the exit status.
int RunJoinCommand(const CommandLine& line, const JoinEnvironment& environment);

}  // namespace plenwick::cli
