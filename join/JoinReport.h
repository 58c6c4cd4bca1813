// What a join tells the person at its end: "Completed !" alone when everything went in and was
// saved; "Completed !" followed by the documents not joined with their reasons (the first few, then
// how many more) and any save that failed on the way, when the output holds every document that
// went in. A run that joined nothing, or whose output is missing or behind, never says "Completed
// !": it says what happened, under a warning icon.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "join/JoinLoop.h"
#include "walk/pathLogger.h"

namespace plenwick::join {

inline constexpr std::string_view kCompletedMessage = "Completed !";
inline constexpr std::size_t kNotJoinedListed = 5;

// The reason as a person reads it: the error's message, or its number when it has none.
std::string ReasonText(const Error& error);

struct EndMessage {
  std::string text;
  int style = 0;           // a message box style of shell/ShellServices.h
  std::string outputPath;  // the output every joined document is in; "" when there is none
};

// sourceFolder is the folder the run walked, as the window holds it; unreadFolders are the
// folders of its tree the walk had to leave out, each named with its reason; linkedFolders the
// links to folders it did not enter.
EndMessage RunEndMessage(const JoinOutcome& outcome, std::string_view sourceFolder,
                         const std::vector<walk::UnreadFolder>& unreadFolders,
                         const std::vector<std::string>& linkedFolders = {},
                         std::size_t maxListed = kNotJoinedListed);

}  // namespace plenwick::join
