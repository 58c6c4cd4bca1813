#include "join/JoinReport.h"

#include "shell/ShellServices.h"

namespace plenwick::join {
namespace {

std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// head, then one line per item (path: reason) for the first maxListed items and how many more.
template <typename Item>
std::string Listed(std::string head, const std::vector<Item>& items, std::size_t maxListed) {
  std::size_t listed = 0;
  for (const Item& item : items) {
    if (listed == maxListed) break;
    head += "\n" + item.path + ": " + ReasonText(item.reason);
    ++listed;
  }
  if (listed < items.size())
    head += "\n... and " + std::to_string(items.size() - listed) + " more.";
  return head;
}

std::string NotJoinedText(const JoinOutcome& outcome, std::size_t maxListed) {
  return Listed(Plural(outcome.notJoined.size(), "document", "documents") + " could not be joined:",
                outcome.notJoined, maxListed);
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

std::string UnreadFoldersText(const std::vector<walk::UnreadFolder>& unread,
                              std::size_t maxListed) {
  return Listed(Plural(unread.size(), "folder could not be read; its documents were not joined:",
                       "folders could not be read; their documents were not joined:"),
                unread, maxListed);
}

std::string LinkedFoldersText(const std::vector<std::string>& linked, std::size_t maxListed) {
  std::string text = Plural(linked.size(), "linked folder was", "linked folders were") +
                     " not entered (links to folders are not followed), so documents in " +
                     (linked.size() == 1 ? "it" : "them") + " were not joined:";
  std::size_t listed = 0;
  for (const std::string& folder : linked) {
    if (listed == maxListed) break;
    text += "\n" + folder;
    ++listed;
  }
  if (listed < linked.size()) {
    text += "\n... and " + std::to_string(linked.size() - listed) + " more.";
  }
  return text;
}

}  // namespace

std::string ReasonText(const Error& error) {
  if (!error.message.empty()) return error.message;
  return "error " + std::to_string(error.code);
}

EndMessage RunEndMessage(const JoinOutcome& outcome, std::string_view sourceFolder,
                         const std::vector<walk::UnreadFolder>& unreadFolders,
                         const std::vector<std::string>& linkedFolders, std::size_t maxListed) {
  const bool outputBehind = outcome.joined > 0 && (!outcome.anySaved || outcome.unsavedAtEnd);
  if (outcome.joined > 0 && !outputBehind) {
    std::string text(kCompletedMessage);
    if (!unreadFolders.empty()) text += "\n\n" + UnreadFoldersText(unreadFolders, maxListed);
    if (!linkedFolders.empty()) text += "\n\n" + LinkedFoldersText(linkedFolders, maxListed);
    if (!outcome.notJoined.empty()) text += "\n\n" + NotJoinedText(outcome, maxListed);
    if (outcome.savesFailed > 0) text += "\n\n" + SaveFailureText(outcome);
    return {std::move(text), shell::kMsgOk, outcome.outputPath};
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
  if (!unreadFolders.empty()) text += "\n\n" + UnreadFoldersText(unreadFolders, maxListed);
  if (!linkedFolders.empty()) text += "\n\n" + LinkedFoldersText(linkedFolders, maxListed);
  if (!outcome.notJoined.empty()) text += "\n\n" + NotJoinedText(outcome, maxListed);
  return {std::move(text), shell::kMsgWarning, {}};
}

}  // namespace plenwick::join
