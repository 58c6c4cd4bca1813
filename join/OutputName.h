// Where a join writes its output. The window's run and plenwick-join name it "All-One-Doc
// <timestamp>.doc" in the destination folder and never replace a file they did not write: when that
// name is taken they use "All-One-Doc <timestamp> (2).doc", then (3), and so on.
#pragma once

#include <functional>
#include <string>

#include "base/Result.h"

namespace plenwick::join {

// True when something already lives at the path (a file, a folder, a link, even a broken one),
// or when that cannot be ruled out.
using PathProbe = std::function<bool(const std::string& path)>;

// The probe over the real file system.
bool PathTaken(const std::string& path);

// "All-One-Doc <timestamp>.doc", or with " (n)" before ".doc" for n from 2 on.
std::string OutputFileName(const std::string& timestamp, int attempt = 1);

// The first of those names from attempt `from` on that is free in folder (which ends in a
// separator). Fails only when thousands of them are taken.
Result<std::string> ChooseOutputName(const std::string& folder, const std::string& timestamp,
                                     const PathProbe& taken, int from = 1);

// The path a run saves to. A timestamped output re-checks its name before its first save: another
// run (a nested one, or another process) may have taken it since the name was fixed. Its first
// save must claim the name without replacing anything (Word's SaveAsNew), since another run may
// take it between the check and the save; when that save finds the name taken, NameTaken moves on
// to the next. Once a save succeeded, the file is the run's own and later saves replace it.
class OutputFile {
 public:
  // A timestamped name in folder, fixed now.
  static OutputFile Timestamped(std::string folder, std::string timestamp, PathProbe taken);
  // A path chosen by the person (plenwick-join --output); replaced when it exists.
  static OutputFile Fixed(std::string path);

  // The full path of the next save; an error when no name could be chosen.
  Result<std::string> PathForSave();
  // Whether the next save must leave an existing file alone (the first of a timestamped output).
  bool ClaimsName() const { return !fixed_ && !saved_; }
  // The save found the name taken after all: the full path of the next free name.
  Result<std::string> NameTaken();
  // The path as it stands, for messages ("" when no name could be chosen).
  std::string Path() const;
  void SaveSucceeded() { saved_ = true; }
  bool Saved() const { return saved_; }

 private:
  OutputFile() = default;
  // Takes the first free name from attempt `from` on.
  void Choose(int from);

  std::string folder_;
  std::string timestamp_;
  PathProbe taken_;
  Result<std::string> name_ = std::string();
  int attempt_ = 1;  // the number in name_: 1 for the plain name, n for " (n)"
  bool fixed_ = false;
  bool saved_ = false;
};

}  // namespace plenwick::join
