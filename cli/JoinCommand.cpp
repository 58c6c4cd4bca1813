#include "cli/JoinCommand.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/Progress.h"
#include "join/CollectFiles.h"
#include "join/DocumentChoice.h"
#include "join/JoinLoop.h"
#include "join/JoinReport.h"
#include "join/OutputName.h"
#include "join/Timestamp.h"
#include "join/WordSession.h"
#include "platform/Utf8Path.h"
#include "shell/ShellServices.h"
#include "walk/pathLogger.h"

namespace plenwick::cli {
namespace {

namespace fs = std::filesystem;

class Reporter {
 public:
  explicit Reporter(std::FILE* err) : err_(err) {}
  void Error(const std::string& text) const {
    std::fprintf(err_, "plenwick-join: %s\n", text.c_str());
    std::fflush(err_);
  }

 private:
  std::FILE* err_;
};

// The walker's message has no window here; every folder it could not read is named on stderr
// after the walk instead, with its reason.
class SilentMessages final : public shell::MessageBoxService {
 public:
  void Show(std::string_view, int) override {}
};

// Names each folder the walk left out; true when there was one.
bool ReportUnreadFolders(const std::vector<walk::UnreadFolder>& unread, const Reporter& reporter) {
  for (const walk::UnreadFolder& folder : unread) {
    reporter.Error(folder.path + ": cannot be read (" + join::ReasonText(folder.reason) +
                   "); documents in it are left out");
  }
  return !unread.empty();
}

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != walk::kPathSeparator) folder += walk::kPathSeparator;
  return folder;
}

std::string ErrorText(const std::error_code& error) {
  return error.message();
}

// An existing folder that can be listed, as an absolute path ending in the separator, spelled as
// given otherwise (links are not resolved: the output names the files as the person knows them).
Result<std::string> CheckedFolder(const std::string& given, const char* role) {
  std::error_code error;
  const fs::file_status status = fs::status(platform::PathFromUtf8(given), error);
  if (error && error != std::errc::no_such_file_or_directory &&
      error != std::errc::not_a_directory) {
    return MakeError(errc::kGeneric, given + ": " + ErrorText(error));
  }
  if (!fs::exists(status)) {
    return MakeError(errc::kPathNotFound, given + ": no such " + std::string(role) + " folder");
  }
  if (!fs::is_directory(status)) {
    return MakeError(errc::kPathNotFound, given + ": not a folder (" + role + " must be one)");
  }
  fs::path absolute = fs::absolute(platform::PathFromUtf8(given), error);
  if (error) return MakeError(errc::kGeneric, given + ": " + ErrorText(error));
  return WithSeparator(platform::Utf8FromPath(absolute.lexically_normal()));
}

Status CheckListable(const std::string& folder) {
  std::error_code error;
  fs::directory_iterator listing(platform::PathFromUtf8(folder), error);
  if (error) {
    return MakeError(
        error == std::errc::permission_denied ? errc::kPermissionDenied : errc::kGeneric,
        folder + ": cannot be read: " + ErrorText(error));
  }
  return Ok();
}

// The person's output file: not a folder and not one of the documents being joined, which the
// first save would destroy before it is read.
Status CheckOutputFile(const std::string& output, const std::vector<std::string_view>& documents,
                       const char* option = "--output") {
  std::error_code error;
  const fs::file_status status = fs::status(platform::PathFromUtf8(output), error);
  if (fs::is_directory(status)) {
    return MakeError(errc::kGeneric,
                     output + ": is a folder; " + std::string(option) + " needs a file name");
  }
  if (!fs::exists(status)) return Ok();
  for (std::string_view document : documents) {
    if (fs::equivalent(platform::PathFromUtf8(output),
                       platform::PathFromUtf8(std::string(document)), error)) {
      return MakeError(errc::kGeneric, output +
                                           ": is one of the documents to join; choose an output "
                                           "outside them");
    }
  }
  return Ok();
}

int ReportOutcome(const join::JoinOutcome& outcome, bool walkCutShort, bool interrupted,
                  const Reporter& reporter, std::FILE* out) {
  for (const join::NotJoined& failure : outcome.notJoined) {
    reporter.Error(failure.path + ": not joined: " + join::ReasonText(failure.reason));
  }
  const std::string savePath =
      outcome.lastFailedSavePath.empty() ? outcome.outputPath : outcome.lastFailedSavePath;
  const std::string saveReason =
      outcome.lastSaveError ? join::ReasonText(*outcome.lastSaveError) : std::string();
  if (!outcome.anySaved) {
    if (outcome.savesFailed > 0) {
      reporter.Error(savePath + ": cannot be written: " + saveReason);
    } else if (!interrupted) {
      reporter.Error("none of the documents could be joined");
    }
    reporter.Error("no output was written");
    return interrupted ? kExitInterrupted : kExitFailed;
  }
  if (outcome.unsavedAtEnd) {
    reporter.Error(savePath + ": cannot be written: " + saveReason + "; it holds only the " +
                   std::to_string(outcome.joinedInOutput) + " documents joined before");
  }
  std::fprintf(out, "%s\n", outcome.outputPath.c_str());
  std::fflush(out);
  if (interrupted) {
    reporter.Error("interrupted; the output holds the " + std::to_string(outcome.joinedInOutput) +
                   " documents joined before");
    return kExitInterrupted;
  }
  if (outcome.unsavedAtEnd) return kExitFailed;
  return outcome.notJoined.empty() && !walkCutShort ? kExitAllJoined : kExitSomeNotJoined;
}

}  // namespace

int RunJoinCommand(const CommandLine& line, const JoinEnvironment& environment) {
  const Reporter reporter(environment.err);
  Result<std::string> source = CheckedFolder(line.source, "SOURCE");
  if (source) {
    if (Status listable = CheckListable(*source); !listable) source = listable.error();
  }
  if (!source) {
    reporter.Error(source.error().message);
    return kExitFailed;
  }

  // A DEST that cannot take the output is known before the tree is searched.
  Result<std::string> destFolder = std::string();
  if (line.mode == Mode::kJoin && line.output.empty()) {
    destFolder = CheckedFolder(line.dest, "DEST");
    if (!destFolder) {
      reporter.Error(destFolder.error().message);
      return kExitFailed;
    }
  }

  SilentMessages messages;
  walk::pathLogger walker(environment.fileSystems, messages);
  Result<join::CollectedFiles> collected = join::CollectFiles(walker, *source);
  if (!collected) {
    reporter.Error("cannot search " + *source + ": " + join::ReasonText(collected.error()));
    return kExitFailed;
  }
  const walk::SharedTexts& files = collected->files;
  const bool walkCutShort = ReportUnreadFolders(collected->unreadFolders, reporter);
  // Not an error: links to folders are never followed. Named, so nothing is left out unsaid.
  for (const std::string& folder : collected->linkedFolders) {
    reporter.Error(folder + ": a link to a folder; not entered, so documents in it are not joined");
  }
  // Views into the walk's list, which lives as long as they do.
  const std::vector<std::string_view> documents = join::ChooseDocuments(
      join::DocumentsAmong(*files), *source, line.choice, join::FileModifiedTime);

  if (line.mode == Mode::kList) {
    // Gathered and written in large pieces: an unbuffered stream (the Windows C runtime leaves
    // a console or a device so) would otherwise cost a system call per character.
    constexpr std::size_t kPiece = std::size_t{64} << 10;
    std::string listing;
    for (std::string_view document : documents) {
      listing += document;
      listing += line.null ? '\0' : '\n';
      if (listing.size() >= kPiece) {
        std::fwrite(listing.data(), 1, listing.size(), environment.out);
        listing.clear();
      }
    }
    std::fwrite(listing.data(), 1, listing.size(), environment.out);
    std::fflush(environment.out);
    return walkCutShort ? kExitSomeNotJoined : kExitAllJoined;
  }
  if (documents.empty()) {
    reporter.Error("no Word documents (.doc, .docx) in " + *source +
                   (line.choice.exclude.empty() ? "" : " that are not excluded") +
                   "; no output was written");
    return kExitFailed;
  }

  if (!line.output.empty()) {
    if (Status usable = CheckOutputFile(line.output, documents); !usable) {
      reporter.Error(usable.error().message);
      return kExitFailed;
    }
  }
  if (!line.pdf.empty()) {
    if (Status usable = CheckOutputFile(line.pdf, documents, "--pdf"); !usable) {
      reporter.Error(usable.error().message);
      return kExitFailed;
    }
  }
  // The plain choice joins the walk's own list, exactly as the window does.
  walk::SharedTexts chosen = files;
  if (!line.choice.exclude.empty() || line.choice.order != join::DocumentOrder::kWalk) {
    chosen = std::make_shared<walk::TextCollection>();
    for (std::string_view document : documents) chosen->Add(std::string(document));
  }

  join::WordSession session;
  if (Status started = session.Start(environment.applications); !started) {
    reporter.Error("cannot start the Word engine: " + join::ReasonText(started.error()));
    return kExitFailed;
  }
  join::OutputFile output =
      line.output.empty()
          ? join::OutputFile::Timestamped(
                *destFolder, join::FormatTimestamp(join::CurrentLocalDateTime()), join::PathTaken)
          : join::OutputFile::Fixed(line.output);

  Progress progress(environment.out, Progress::StyleFor(environment.out, line.quiet),
                    static_cast<int>(documents.size()));
  int number = 0;
  bool neverSaved = true;
  bool firstSaveFailed = false;
  join::JoinHooks hooks;
  // Unlike the window, a terminal join gives up when its output cannot be written at all: every
  // further document would only fail to be saved again.
  hooks.yield = [&] {
    return !firstSaveFailed &&
           (environment.interrupted == nullptr || *environment.interrupted == 0);
  };
  hooks.starting = [&](const std::string& path) { progress.Starting(++number, path); };
  hooks.saved = [&](const std::string&, const Status& result) {
    if (result) neverSaved = false;
    if (!result && neverSaved) firstSaveFailed = true;
  };
  const join::JoinOutcome outcome = join::JoinDocuments(session, *chosen, output, hooks);
  progress.Finish();
  const bool interrupted = outcome.stopped && !firstSaveFailed;
  // The PDF is made of the output as saved at the end, so only of a whole, finished join.
  Status pdf = Ok();
  const bool writePdf =
      !line.pdf.empty() && outcome.anySaved && !outcome.unsavedAtEnd && !interrupted;
  if (writePdf) pdf = session.ExportPdf(line.pdf);
  session.Release();
  int status = ReportOutcome(outcome, walkCutShort, interrupted, reporter, environment.out);
  if (!line.pdf.empty() && status != kExitInterrupted) {
    if (!writePdf) {
      reporter.Error(line.pdf + ": not written, as the output is not whole");
    } else if (!pdf) {
      reporter.Error(line.pdf + ": cannot be written: " + join::ReasonText(pdf.error()));
      status = kExitFailed;
    } else {
      std::fprintf(environment.out, "%s\n", line.pdf.c_str());
      std::fflush(environment.out);
    }
  }
  return status;
}

}  // namespace plenwick::cli
