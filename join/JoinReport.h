// What a join tells the person at its end: "Completed !" alone when everything went in and was
// saved; otherwise "Completed !" followed by the documents not joined with their reasons (the first
// few, then how many more) and what became of the output when a save failed.
#pragma once

#include <cstddef>
#include <string>

#include "join/JoinLoop.h"

namespace plenwick::join {

inline constexpr std::string_view kCompletedMessage = "Completed !";
inline constexpr std::size_t kNotJoinedListed = 5;

// The reason as a person reads it: the error's message, or its number when it has none.
std::string ReasonText(const Error& error);

std::string CompletionMessage(const JoinOutcome& outcome, std::size_t maxListed = kNotJoinedListed);

}  // namespace plenwick::join
