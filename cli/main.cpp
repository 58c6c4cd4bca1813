// plenwick-join: joins every Word document of a folder tree into one, from a terminal or a script.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/JoinCommand.h"
#include "join/DefaultJoinServices.h"
#include "word/WordApi.h"

#ifndef PLENWICK_DISPLAY_VERSION
#define PLENWICK_DISPLAY_VERSION "unknown"
#endif

namespace {

// Ctrl-C, a hang-up or a polite kill stop the join between two documents, so the output keeps
// its last save and the engine removes whatever it keeps beside it.
volatile std::sig_atomic_t interrupted = 0;

}  // namespace

int main(int argc, char** argv) {
  using namespace plenwick::cli;
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const plenwick::Result<CommandLine> line = ParseCommandLine(arguments);
  if (!line) {
    std::fprintf(stderr, "plenwick-join: %s\n%sTry 'plenwick-join --help' for more.\n",
                 line.error().message.c_str(), UsageText().c_str());
    return kExitUsage;
  }
  switch (line->mode) {
    case Mode::kHelp:
      std::fputs(HelpText().c_str(), stdout);
      return kExitAllJoined;
    case Mode::kVersion:
      std::printf("plenwick-join %s\n", PLENWICK_DISPLAY_VERSION);
      return kExitAllJoined;
    case Mode::kJoin:
    case Mode::kList:
      break;
  }
  // Known before any work: a PDF that could not be made at the end would waste the whole join.
  if (line->mode == Mode::kJoin && !line->pdf.empty()) {
    if (const plenwick::Status available = plenwick::word::PdfExportAvailable(); !available) {
      std::fprintf(stderr, "plenwick-join: --pdf: %s\n", available.error().message.c_str());
      return kExitUsage;
    }
  }
  const bool binder = line->Binder().Any() || !line->pdf.empty();
  const plenwick::Result<plenwick::word::ApplicationFactory> applications =
      binder ? plenwick::Result<plenwick::word::ApplicationFactory>(
                   plenwick::word::BinderApplications(line->Binder()))
             : plenwick::join::EngineFactory(line->engine == Engine::kWord
                                                 ? plenwick::join::JoinEngine::kWord
                                                 : plenwick::join::JoinEngine::kNative);
  if (!applications) {
    std::fprintf(stderr, "plenwick-join: --engine word: %s\n",
                 applications.error().message.c_str());
    return kExitUsage;
  }
  plenwick::cli::PrepareConsole(&interrupted);
  const plenwick::join::JoinServices services = plenwick::join::DefaultJoinServices();
  JoinEnvironment environment;
  environment.applications = *applications;
  environment.fileSystems = services.fileSystems;
  environment.interrupted = &interrupted;
  return RunJoinCommand(*line, environment);
}
