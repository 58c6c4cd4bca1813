// A Word layer that records every call and can be told where to fail, for tests of anything that
// drives Word. Its documents hold the list of files inserted into them; a save keeps a copy of that
// list under the path saved to, so a test can read what each output held at its last save.
//
//   plenwick::test::RecordingWord word;
//   word.script.failInsert["/r/broken.doc"] = MakeError(1003, "damaged: no main part");
//   services.applications = word.Factory();
//   ... run ...
//   EXPECT_EQ(word.Log(), (std::vector<std::string>{"CreateObject Word.Application", ...}));
//
// The log names every call ("Documents", "Add", "Range", "Collapse 0", "InsertFile <path>",
// "SaveAs <path>") and every object let go ("~Range", "~Document", "~Documents",
// "~Application"). A failed call is followed by a second entry, the call with " -> failed".
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/Result.h"
#include "word/WordApi.h"

namespace plenwick::test {

class RecordingWord {
 public:
  struct Script {
    std::optional<Error> failCreate;
    std::optional<Error> failDocuments;
    std::optional<Error> failAdd;
    std::set<int> failRange;     // 1-based numbers of Range calls that fail (over all documents)
    std::set<int> failCollapse;  // the same for Collapse
    std::map<std::string, Error> failInsert;  // by path as passed
    std::set<std::string> throwInsert;        // paths whose InsertFile throws instead
    std::set<int> failSave;                   // 1-based numbers of SaveAs calls that fail
    bool failEverySave = false;
    // BeginSaveAs only starts a save: FinishSaving completes it with the document as it was at
    // the start, and gives the outcome (as the native engine saves in the background).
    bool saveInBackground = false;
    // Paths that another run takes just before SaveAsNew claims them.
    std::set<std::string> takenOnSave;
    // Runs after every entry of the log, releases included: lets a test interleave the calls with
    // its own events, or act at a given call.
    std::function<void(const std::string& entry)> onLog;
  };

  RecordingWord();

  Script& script();
  word::ApplicationFactory Factory() const;

  std::vector<std::string> Log() const;
  void ClearLog();
  // Objects of this layer still held by someone.
  int LiveObjects() const;
  int ApplicationsMade() const;
  // Path saved to -> the files the document held at its last successful save there.
  const std::map<std::string, std::vector<std::string>>& Saved() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace plenwick::test
