// Gives a file one more name through a handle already open on it.
//
// CreateHardLinkW opens the file anew by its existing name to do the same, and under wine every
// open is a round trip to the wine server: a caller that has just opened the file to check what
// it is can link it through that handle instead.
#pragma once

namespace plenwick::platform::win {

// As CreateHardLinkW(newPath, <the file open as handle>): false with GetLastError set as that
// function sets it (ERROR_ALREADY_EXISTS when newPath is taken, ERROR_NOT_SUPPORTED where the
// file system has no hard links). handle is a HANDLE opened with at least
// FILE_WRITE_ATTRIBUTES; newPath is a full path.
bool LinkOpenFile(void* handle, const wchar_t* newPath);

}  // namespace plenwick::platform::win
