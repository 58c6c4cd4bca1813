// The file-system layer over the platform's file system.
//
// A folder is opened once per GetFolder and listed through that handle, with the entry types the
// directory records, so a walk costs about what `find` costs; a GetFolder of the folder listed
// last takes its handle again while the path still names that folder. Listings follow NaturalOrder.
// A folder's SubFolders holds its real subfolders only: a symbolic link to a folder is left out, so
// a link cycle can neither make a walk endless nor end it early. Its Files holds regular files and
// links to regular files; broken links and special files (pipes, sockets, devices), which cannot be
// read as documents and may block a reader, are left out. Hidden entries are listed like any other.
#pragma once

#include <system_error>

#include "walk/FileSystem.h"

namespace plenwick::walk {

// Makes file-system objects over the platform's file system; never fails.
FileSystemFactory DefaultFileSystems();

// The error number a platform error is reported under: errc::kPermissionDenied (70) for
// EACCES/EPERM, errc::kPathNotFound for a path that names nothing, runs through a file or cannot
// be spoken to the system (too long, looping links, a NUL byte), errc::kGeneric for the rest.
int FileSystemErrorNumber(const std::error_code& error);

}  // namespace plenwick::walk
