#include "join/JoinReport.h"

#include "shell/ShellServices.h"

namespace plenwick::join {
namespace {

std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string NotJoinedText(const JoinOutcome& outcome, std::size_t maxListed) {
  const std::size_t count = outcome.notJoined.size();
  std::string text = Plural(count, "document", "documents") + " could not be joined:";
  std::size_t listed = 0;
  for (const NotJoined& failure : outcome.notJoined) {
    if (listed == maxListed) break;
    text += "\n" + failure.path + ": " + ReasonText(failure.reason);
    ++listed;
  }
  if (listed < count) text += "\n... and " + std::to_string(count - listed) + " more.";
  return text;
}

std::string SaveFailureText(const JoinOutcome& outcome) {
  const std::string reason =
      outcome.lastSaveError ? ReasonText(*outcome.lastSaveError) : std::string("unknown reason");
  const std::string path =
      outcome.lastFailedSavePath.empty() ? outcome.outputPath : outcome.lastFailedSavePath;
  if (!outcome.anySaved) {
    return "The output could not be saved to " + path + ": " + reason + "\nNo output was written.";
  }
  if (outcome.unsavedAtEnd) {
    return "The output could not be saved to " + path + ": " + reason + "\nIt holds only the " +
           Plural(static_cast<std::size_t>(outcome.joinedInOutput), "document", "documents") +
           " joined before its last successful save.";
  }
  return "Saving the output " + path + " failed " +
         Plural(static_cast<std::size_t>(outcome.savesFailed), "time", "times") + " (" + reason +
         "); the last save succeeded, so it holds every document joined.";
}

}  // namespace

std::string ReasonText(const Error& error) {
  if (!error.message.empty()) return error.message;
  return "error " + std::to_string(error.code);
}

EndMessage RunEndMessage(const JoinOutcome& outcome, std::string_view sourceFolder,
                         std::size_t maxListed) {
  const bool outputBehind = outcome.joined > 0 && (!outcome.anySaved || outcome.unsavedAtEnd);
  if (outcome.joined > 0 && !outputBehind) {
    std::string text(kCompletedMessage);
    if (!outcome.notJoined.empty()) text += "\n\n" + NotJoinedText(outcome, maxListed);
    if (outcome.savesFailed > 0) text += "\n\n" + SaveFailureText(outcome);
    return {std::move(text), shell::kMsgOk};
  }
  std::string text;
  if (outputBehind) {
    text = SaveFailureText(outcome);
  } else if (!outcome.notJoined.empty()) {
    text = "No document could be joined, so no output was written.";
  } else if (sourceFolder.empty()) {
    text = "No documents were found: no source folder was chosen.";
  } else {
    text = "No documents were found in " + std::string(sourceFolder) + ".";
  }
  if (!outcome.notJoined.empty()) text += "\n\n" + NotJoinedText(outcome, maxListed);
  return {std::move(text), shell::kMsgWarning};
}

}  // namespace plenwick::join
