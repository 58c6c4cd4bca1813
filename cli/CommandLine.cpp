#include "cli/CommandLine.h"

#include <string_view>

namespace plenwick::cli {
namespace {

Error Usage(std::string reason) {
  return MakeError(kExitUsage, std::move(reason));
}

Result<PageNumbers> PageNumbersNamed(const std::string& name) {
  if (name == "own") return PageNumbers::kOwn;
  if (name == "continuous") return PageNumbers::kContinuous;
  return Usage("unknown page numbering \"" + name + "\" (own or continuous)");
}

Result<join::DocumentOrder> OrderNamed(const std::string& name) {
  if (name == "walk") return join::DocumentOrder::kWalk;
  if (name == "name") return join::DocumentOrder::kName;
  if (name == "modified") return join::DocumentOrder::kModified;
  return Usage("unknown order \"" + name + "\" (walk, name or modified)");
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
  bool pageNumbersGiven = false;
  bool pdfGiven = false;
  bool orderGiven = false;
  std::vector<std::string> operands;
  // --help and --version answer whatever else is on the line.
  for (const std::string& argument : arguments) {
    if (argument == "--") break;
    if (argument == "-h" || argument == "--help") help = true;
    if (argument == "-V" || argument == "--version") version = true;
  }
  for (std::size_t i = 0; !help && !version && i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    // An option that takes a value, given as "--name VALUE" or "--name=VALUE": its value.
    std::string value;
    const auto takes = [&](std::string_view name) {
      const std::string flag(name);
      if (argument == flag && i + 1 < arguments.size()) {
        value = arguments[++i];
        return true;
      }
      if (argument.rfind(flag + "=", 0) == 0) {
        value = argument.substr(flag.size() + 1);
        return true;
      }
      return false;
    };
    static constexpr std::string_view kValued[] = {"--page-numbers", "--pdf", "--exclude",
                                                   "--order"};
    for (std::string_view name : kValued) {
      if (argument == name && i + 1 == arguments.size()) {
        return Usage("option " + argument + " needs a value (see --help)");
      }
    }
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
    } else if (argument == "--bookmarks") {
      line.bookmarks = true;
    } else if (argument == "--contents") {
      line.contents = true;
    } else if (takes("--page-numbers")) {
      if (pageNumbersGiven) return Usage("--page-numbers is given more than once");
      Result<PageNumbers> numbers = PageNumbersNamed(value);
      if (!numbers) return numbers.error();
      line.pageNumbers = *numbers;
      pageNumbersGiven = true;
    } else if (takes("--pdf")) {
      if (pdfGiven) return Usage("--pdf is given more than once");
      if (value.empty()) return Usage("--pdf needs a non-empty FILE");
      line.pdf = value;
      pdfGiven = true;
    } else if (takes("--exclude")) {
      if (value.empty()) return Usage("--exclude needs a PATTERN");
      line.choice.exclude.push_back(value);
    } else if (takes("--order")) {
      if (orderGiven) return Usage("--order is given more than once");
      Result<join::DocumentOrder> order = OrderNamed(value);
      if (!order) return order.error();
      line.choice.order = *order;
      orderGiven = true;
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
  // A contents page lists the pages its documents start on: numbers that run through the result,
  // unless own numbers are asked for.
  if (line.contents && !pageNumbersGiven) line.pageNumbers = PageNumbers::kContinuous;
  const bool binder = line.bookmarks || line.contents || pageNumbersGiven || pdfGiven;
  if (pdfGiven && outputGiven && line.pdf == line.output) {
    return Usage("--pdf and --output name the same file");
  }
  if (list && binder) {
    return Usage(
        "--list joins nothing: --bookmarks, --contents, --page-numbers and --pdf go "
        "with a join");
  }
  if (binder && line.engine == Engine::kWord) {
    return Usage("--bookmarks, --contents, --page-numbers and --pdf need the native engine");
  }
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
  return "Usage: plenwick-join [--quiet] [--engine ENGINE] [BINDER...] [CHOICE...] SOURCE DEST\n"
         "       plenwick-join [--quiet] [--engine ENGINE] [BINDER...] [CHOICE...] --output FILE "
         "SOURCE\n"
         "       plenwick-join --list [--null] [CHOICE...] SOURCE\n"
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
         "\n"
         "Choice (CHOICE), for a join and for --list:\n"
         "      --exclude PATTERN  leave out the documents whose path below SOURCE matches the\n"
         "                      shell wildcard PATTERN (*, ?, [...]; quote it): without a '/' it\n"
         "                      is matched against every file and folder name, with one against\n"
         "                      the path and the folders it starts with; may be repeated.\n"
         "                      Example: --exclude '*draft*' --exclude old/notes\n"
         "      --order ORDER   walk (the default and the window's order), name (the whole list\n"
         "                      by path below SOURCE, in natural order: 2 before 10) or modified\n"
         "                      (by modification time, oldest first). Example: --order name\n"
         "\n"
         "Binder (BINDER), native engine only; the plain join is the window's:\n"
         "      --bookmarks     a bookmark at the start of each document, named after its file,\n"
         "                      for Word's Go To and LibreOffice's Navigator.\n"
         "                      Example: plenwick-join --bookmarks -o all.docx reports\n"
         "      --contents      a first page listing each joined document (its title, else its\n"
         "                      first heading, else its file name) with the page it starts on,\n"
         "                      linked to it; the numbers are updated when the file is opened.\n"
         "                      Page numbers run through the result unless --page-numbers own.\n"
         "                      Example: plenwick-join --contents -o pack.docx reports\n"
         "      --page-numbers HOW  own (the default: each document numbers its pages as it did\n"
         "                      alone) or continuous (through the whole result; \"Page X of Y\"\n"
         "                      counts the whole result).\n"
         "                      Example: plenwick-join --page-numbers continuous -o all.docx in\n"
         "      --pdf FILE      also write the result as PDF to FILE through LibreOffice, each\n"
         "                      document an outline entry (with --bookmarks or --contents).\n"
         "                      Example: plenwick-join --contents --pdf pack.pdf -o pack.docx in\n"
         "\n"
         "  -h, --help          print this help\n"
         "  -V, --version       print the version\n"
         "\n"
         "Progress is a bar on a terminal and one line per document otherwise.\n"
         "\n"
         "Exit status: 0 every document joined; 1 some documents not joined (each named on\n"
         "stderr with its reason; the output holds the others); 2 nothing could be joined or the\n"
         "output (or the PDF) could not be written; 64 bad usage (also --engine word where Word\n"
         "cannot be driven, and --pdf without LibreOffice); 130 interrupted.\n";
}

}  // namespace plenwick::cli
