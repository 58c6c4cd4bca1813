// "Join Documents": asks where to save, walks the source tree, starts Word and appends every Word
// document of the tree to one new document, saved after each one, with the window's counter
// showing the progress.
//
// The run talks to the window only through JoinHost and yields to it between its steps, disabling
// nothing: at a yield the person may choose another source folder, start a nested run (which runs
// to its end before this one goes on, with Word objects, counter, output name and list of its own),
// or end the program, in which case the run stops at once and lets go of Word; the output keeps
// what was last saved.
#pragma once

#include "base/Result.h"
#include "join/JoinHost.h"
#include "join/JoinServices.h"
#include "join/JoinState.h"

namespace plenwick::join {

inline constexpr std::string_view kChooseDestinationTitle = "Choose Folder to Save...";
inline constexpr std::string_view kWordMissingMessage =
    "MS Word NOT Installed or NOT Working Properly.";

// The counter caption: "(n) Documents Combined".
std::string CombinedCaption(int count);

// Fails only when the walker cannot be created or started; every later failure is reported to the
// person by message and the run still succeeds. sourceFolder is read when the walk starts, after
// the first yield, so a folder chosen meanwhile is the one walked.
Status CmdSplit_Click(const std::string& sourceFolder, JoinState& form, JoinHost& host,
                      const JoinServices& services);
// The same with form.sourceFolder.
Status CmdSplit_Click(JoinState& form, JoinHost& host, const JoinServices& services);

}  // namespace plenwick::join
