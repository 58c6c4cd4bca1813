#include "join/JoinLoop.h"

#include <optional>
#include <utility>

#include "join/DocumentTest.h"

namespace plenwick::join {
namespace {

// A save begun after one document and going on while the next one goes in.
struct SaveUnderWay {
  std::string path;
  int joined = 0;  // the documents the output holds once it is over
};

class Saves {
 public:
  Saves(WordSession& session, OutputFile& output, JoinOutcome& outcome, const JoinHooks& hooks)
      : session_(session), output_(output), outcome_(outcome), hooks_(hooks) {}

  // Saves what has been joined so far. Once a save has made the output, the next ones go on in
  // the background while the next document goes in, and are finished before the one after:
  // joining and saving then share the time instead of adding up. The first save is finished at
  // once, since until the output exists its name may be taken or its folder unwritable.
  void Save() {
    Result<std::string> path = output_.PathForSave();
    if (path && output_.Saved()) {
      Status begun = session_.BeginSave(*path);
      if (begun) {
        underWay_ = SaveUnderWay{*path, outcome_.joined};
      } else {
        Record(*path, outcome_.joined, begun);
      }
      return;
    }
    Status saved = path ? Ok() : Status(path.error());
    while (path) {
      if (!output_.ClaimsName()) {
        saved = session_.Save(*path);
        break;
      }
      // Another run may take the name between our look and our save (two runs started in the
      // same second): the save claims it or leaves it, and the next name is tried.
      saved = session_.SaveNew(*path);
      if (saved || saved.error().code != word::wordc::kNameTaken) break;
      path = output_.NameTaken();
      if (!path) saved = path.error();
    }
    Record(path ? *path : output_.Path(), outcome_.joined, saved);
  }

  // Waits for a save going on in the background and books its outcome.
  void Finish() {
    if (!underWay_) return;
    const SaveUnderWay save = *std::exchange(underWay_, std::nullopt);
    Record(save.path, save.joined, session_.FinishSaving());
  }

 private:
  void Record(const std::string& path, int joined, const Status& saved) {
    if (hooks_.saved) hooks_.saved(path, saved);
    if (saved) {
      output_.SaveSucceeded();
      outcome_.anySaved = true;
      outcome_.joinedInOutput = joined;
      outcome_.unsavedAtEnd = outcome_.joined != joined;
      return;
    }
    ++outcome_.savesFailed;
    outcome_.lastSaveError = saved.error();
    outcome_.lastFailedSavePath = path;
    outcome_.unsavedAtEnd = true;
  }

  WordSession& session_;
  OutputFile& output_;
  JoinOutcome& outcome_;
  const JoinHooks& hooks_;
  std::optional<SaveUnderWay> underWay_;
};

}  // namespace

JoinOutcome JoinDocuments(WordSession& session, const walk::TextCollection& items,
                          OutputFile& output, const JoinHooks& hooks) {
  JoinOutcome outcome;
  Saves saves(session, output, outcome, hooks);
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
    saves.Finish();
    // A document that did not go in left the document as it was: saving it again would only
    // rewrite the last save, or write an empty document when nothing went in yet.
    if (outcome.unsavedAtEnd) saves.Save();
  }
  saves.Finish();
  outcome.outputPath = output.Path();
  return outcome;
}

}  // namespace plenwick::join
