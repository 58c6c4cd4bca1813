// The hidden files a save keeps beside its target, and claiming a target's name.
//
// A hidden name is short and says nothing of the target, so any name the file system takes for
// the target it also takes for them; it names the host and the process that own it, so a later
// save into the same folder can tell the files of runs that ended without tidying up (killed, a
// power cut) from those of runs still going, and remove them.
//
// Declared for every platform; implemented in TempFilesPosix.cpp and TempFilesWin.cpp.
#pragma once

#include <cstddef>
#include <string>

namespace plenwick::word::package {

// A token for one writer of this process: host, process and a serial number.
std::string NewTempOwner();

// The hidden file `which` ('a' or 'b') of owner beside target: ".~plw-<host>-<pid>-<n><which>.tmp"
// in target's folder.
std::string TempPath(const std::string& target, const std::string& owner, char which);

// Removes the hidden files in folder whose owner ran on this host and runs no longer; returns how
// many went. Files of other hosts and of runs still going are left alone.
std::size_t RemoveStaleTemporaries(const std::string& folder);

// Moves from to to, but only when nothing is at to: the name is claimed in the same step as the
// file appears under it, so two runs never both think a name theirs. Returns 0, or the error
// number (EEXIST when the name is taken; on Windows the system's error code, ERROR_ALREADY_EXISTS).
int RenameNoReplace(const std::string& from, const std::string& to);

}  // namespace plenwick::word::package
