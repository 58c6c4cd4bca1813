#include "cli/CommandLine.h"

#include <string_view>

namespace plenwick::cli {
namespace {

Error Usage(std::string reason) {
  return MakeError(kExitUsage, std::move(reason));
}

Result<Engine> EngineNamed(const std::string& name) {
  if (name == "native") return Engine::kNative;
  if (name == "word") return Engine::kWord;
  return Usage("unknown engine \"" + name + "\" (native or word)");
}

}  // namespace

Result<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool list = false;
  bool outputGiven = false;
  bool engineGiven = false;
  bool help = false;
  bool version = false;
  bool optionsEnded = false;
  std::vector<std::string> operands;
  // --help and --version answer whatever else is on the line.
  for (const std::string& argument : arguments) {
    if (argument == "--") break;
    if (argument == "-h" || argument == "--help") help = true;
    if (argument == "-V" || argument == "--version") version = true;
  }
  for (std::size_t i = 0; !help && !version && i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
      operands.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "-q" || argument == "--quiet") {
      line.quiet = true;
    } else if (argument == "-l" || argument == "--list") {
      list = true;
    } else if (argument == "-0" || argument == "--null") {
      line.null = true;
    } else if (argument == "-o" || argument == "--output") {
      if (i + 1 == arguments.size()) return Usage("option " + argument + " needs a FILE");
      if (outputGiven) return Usage("--output is given more than once");
      line.output = arguments[++i];
      outputGiven = true;
    } else if (argument.rfind("--output=", 0) == 0) {
      if (outputGiven) return Usage("--output is given more than once");
      line.output = argument.substr(std::string_view("--output=").size());
      outputGiven = true;
    } else if (argument == "--engine" || argument.rfind("--engine=", 0) == 0) {
      if (argument == "--engine" && i + 1 == arguments.size()) {
        return Usage("option --engine needs native or word");
      }
      if (engineGiven) return Usage("--engine is given more than once");
      Result<Engine> engine = EngineNamed(
          argument == "--engine" ? arguments[++i]
                                 : argument.substr(std::string_view("--engine=").size()));
      if (!engine) return engine.error();
      line.engine = *engine;
      engineGiven = true;
    } else {
      return Usage("unknown option " + argument);
    }
  }
  if (help) {
    line.mode = Mode::kHelp;
    return line;
  }
  if (version) {
    line.mode = Mode::kVersion;
    return line;
  }
  if (outputGiven && line.output.empty()) return Usage("--output needs a non-empty FILE");
  if (list && outputGiven) return Usage("--list and --output cannot be used together");
  if (line.null && !list) return Usage("--null goes with --list");
  const std::size_t wanted = list || outputGiven ? 1 : 2;
  if (operands.size() < wanted) {
    return Usage(wanted == 1        ? "missing SOURCE"
                 : operands.empty() ? "missing SOURCE and DEST"
                                    : "missing DEST");
  }
  if (operands.size() > wanted) {
    return Usage("too many arguments" +
                 std::string(outputGiven ? " (DEST is not given with --output)" : ""));
  }
  for (const std::string& operand : operands) {
    if (operand.empty()) return Usage("an empty path was given");
  }
  line.mode = list ? Mode::kList : Mode::kJoin;
  line.source = operands[0];
  if (wanted == 2) line.dest = operands[1];
  return line;
}

std::string UsageText() {
  return "Usage: plenwick-join [--quiet] [--engine ENGINE] SOURCE DEST\n"
         "       plenwick-join [--quiet] [--engine ENGINE] --output FILE SOURCE\n"
         "       plenwick-join --list [--null] SOURCE\n"
         "       plenwick-join --help | --version\n";
}

std::string HelpText() {
  return UsageText() +
         "\n"
         "Joins every Word document (.doc, .docx) in SOURCE and all its subfolders into one new\n"
         "document, in the same order as the window's \"Join Documents\": SOURCE's own files "
         "first,\n"
         "then each subfolder, level by level. The output is saved after every document.\n"
         "\n"
         "  SOURCE DEST         write \"All-One-Doc <timestamp>.doc\" in the folder DEST; when "
         "that\n"
         "                      name exists, \"All-One-Doc <timestamp> (2).doc\", (3), ... so no\n"
         "                      file is ever replaced. The output's path is printed.\n"
         "  -o, --output FILE   write to FILE instead (an existing FILE is replaced, unless it is\n"
         "                      one of the documents to join)\n"
         "  -l, --list          print the documents that would be joined, one full path a line,\n"
         "                      in join order, and join nothing\n"
         "  -0, --null          with --list: end each path with a NUL character instead of a\n"
         "                      newline, for paths that hold newlines (as find -print0)\n"
         "  -q, --quiet         print only errors and the output's path\n"
         "      --engine ENGINE what joins the documents: native (the default; each document\n"
         "                      keeps its own look in its own section) or word (the installed\n"
         "                      Microsoft Word, as Word's own insert does; Windows only)\n"
         "  -h, --help          print this help\n"
         "  -V, --version       print the version\n"
         "\n"
         "Progress is a bar on a terminal and one line per document otherwise.\n"
         "\n"
         "Exit status: 0 every document joined; 1 some documents not joined (each named on\n"
         "stderr with its reason; the output holds the others); 2 nothing could be joined or the\n"
         "output could not be written; 64 bad usage (also --engine word where Word cannot be\n"
         "driven); 130 interrupted.\n";
}

}  // namespace plenwick::cli
