// plenwick-join's command line: what to do and with which paths.
#pragma once

#include <string>
#include <vector>

#include "base/Result.h"
#include "join/DocumentChoice.h"
#include "word/BinderOptions.h"

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

// How pages are numbered: each document as it did alone, or through the whole result.
enum class PageNumbers { kOwn, kContinuous };

struct CommandLine {
  Mode mode = Mode::kJoin;
  std::string source;
  std::string dest;    // kJoin without --output
  std::string output;  // --output FILE
  bool quiet = false;
  bool null = false;  // --list ends each path with NUL, not a newline
  Engine engine = Engine::kNative;
  // A binder instead of the plain join (all off unless asked for).
  bool bookmarks = false;
  bool contents = false;
  PageNumbers pageNumbers = PageNumbers::kOwn;
  std::string pdf;  // --pdf FILE
  // Which documents, in which order (join and --list).
  join::DocumentChoice choice;

  word::BinderOptions Binder() const {
    return {bookmarks, contents, pageNumbers == PageNumbers::kContinuous};
  }
};

// Fails with a one-line reason for bad usage.
Result<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments);

std::string UsageText();
std::string HelpText();

}  // namespace plenwick::cli
