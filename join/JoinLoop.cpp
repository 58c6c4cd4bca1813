#include "join/JoinLoop.h"

#include <utility>

#include "join/DocumentTest.h"

namespace plenwick::join {
namespace {

void SaveOutput(WordSession& session, OutputFile& output, JoinOutcome& outcome,
                const JoinHooks& hooks) {
  Result<std::string> path = output.PathForSave();
  Status saved = path ? Ok() : Status(path.error());
  while (path) {
    if (!output.ClaimsName()) {
      saved = session.Save(*path);
      break;
    }
    // Another run may take the name between our look and our save (two runs started in the same
    // second): the save claims it or leaves it, and the next name is tried.
    saved = session.SaveNew(*path);
    if (saved || saved.error().code != word::wordc::kNameTaken) break;
    path = output.NameTaken();
    if (!path) saved = path.error();
  }
  if (hooks.saved) hooks.saved(path ? *path : output.Path(), saved);
  if (saved) {
    output.SaveSucceeded();
    outcome.anySaved = true;
    outcome.joinedInOutput = outcome.joined;
    outcome.unsavedAtEnd = false;
    return;
  }
  ++outcome.savesFailed;
  outcome.lastSaveError = saved.error();
  outcome.lastFailedSavePath = path ? *path : output.Path();
  outcome.unsavedAtEnd = true;
}

}  // namespace

JoinOutcome JoinDocuments(WordSession& session, const walk::TextCollection& items,
                          OutputFile& output, const JoinHooks& hooks) {
  JoinOutcome outcome;
  const auto keepGoing = [&hooks, &outcome] {
    if (!hooks.yield || hooks.yield()) return true;
    outcome.stopped = true;
    return false;
  };
  int docCounter = 1;
  for (std::size_t position = 1; position <= items.Count(); ++position) {
    // A copy: the item is used after yields, and the path handed to Word must stay as listed.
    const std::string item = *items.Item(position);
    if (!keepGoing()) break;
    if (!IsWordDocument(item)) continue;
    if (!keepGoing()) break;
    if (hooks.starting) hooks.starting(item);
    Status inserted = session.Append(item);
    if (inserted) {
      if (hooks.joined) hooks.joined(docCounter, item);
      ++docCounter;
      ++outcome.joined;
      outcome.unsavedAtEnd = true;
    } else {
      outcome.notJoined.push_back(NotJoined{item, inserted.error()});
    }
    // A document that did not go in left the document as it was: saving it again would only
    // rewrite the last save, or write an empty document when nothing went in yet.
    if (outcome.unsavedAtEnd) SaveOutput(session, output, outcome, hooks);
  }
  outcome.outputPath = output.Path();
  return outcome;
}

}  // namespace plenwick::join
