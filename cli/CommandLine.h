// plenwick-join's command line: what to do and with which paths.
#pragma once

#include <string>
#include <vector>

#include "base/Result.h"

namespace plenwick::cli {

// The exit statuses, for scripts.
inline constexpr int kExitAllJoined = 0;
inline constexpr int kExitSomeNotJoined = 1;
inline constexpr int kExitFailed = 2;
inline constexpr int kExitUsage = 64;  // as in BSD's sysexits.h
inline constexpr int kExitInterrupted = 130;

enum class Mode { kJoin, kList, kHelp, kVersion };

// What joins the documents: our own engine (the default everywhere) or Microsoft Word itself.
enum class Engine { kNative, kWord };

struct CommandLine {
  Mode mode = Mode::kJoin;
  std::string source;
  std::string dest;    // kJoin without --output
  std::string output;  // --output FILE
  bool quiet = false;
  bool null = false;  // --list ends each path with NUL, not a newline
  Engine engine = Engine::kNative;
};

// Fails with a one-line reason for bad usage.
Result<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments);

std::string UsageText();
std::string HelpText();

}  // namespace plenwick::cli
