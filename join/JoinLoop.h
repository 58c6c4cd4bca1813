// The heart of every join: each collected file that is a Word document goes in at the end of the
// new document, and the output is saved after it. The window's run and plenwick-join share it and
// differ only in the hooks: where the window yields and updates its counter, the terminal draws
// its progress bar.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"
#include "join/OutputName.h"
#include "join/WordSession.h"
#include "walk/KeyedCollection.h"

namespace plenwick::join {

struct JoinHooks {
  // Called before each item is looked at, and again before a document goes in. Returning false
  // stops the join at once (the program is ending); the output keeps what was last saved.
  std::function<bool()> yield;
  // A document is about to go in.
  std::function<void(const std::string& path)> starting;
  // A document went in; count is its number among the documents joined (1 for the first).
  std::function<void(int count, const std::string& path)> joined;
  // A save was made; its result.
  std::function<void(const std::string& path, const Status& result)> saved;
};

struct NotJoined {
  std::string path;
  Error reason;
};

struct JoinOutcome {
  int joined = 0;                    // documents that went in
  std::vector<NotJoined> notJoined;  // documents that did not, in list order
  int savesFailed = 0;
  std::optional<Error> lastSaveError;
  std::string lastFailedSavePath;
  bool anySaved = false;
  int joinedInOutput = 0;  // documents the output held at its last successful save
  bool unsavedAtEnd = false;
  std::string outputPath;  // "" when no name could be chosen
  bool stopped = false;    // a yield said the program is ending
};

// Joins the documents among items, in order, into session's document. A document that cannot go
// in is recorded with its reason and not counted. The output is saved whenever the document holds
// something not yet saved: after each document that went in, and again after the next document
// when a save failed. A save may go on while the next document goes in; its outcome (the saved
// hook, the outcome's figures) is booked before the save after it begins, and the last one
// before this returns.
JoinOutcome JoinDocuments(WordSession& session, const walk::TextCollection& items,
                          OutputFile& output, const JoinHooks& hooks);

}  // namespace plenwick::join
