// What the system says of an open file or folder, read through its handle alone: its number on
// its volume, size, links, last write and attributes.
//
// GetFileInformationByHandle (and the FileIdInfo class) also give the volume's serial number, and
// under wine that costs a round trip through the wine server to the mount manager's process: a
// few milliseconds on a busy machine, against about a microsecond for these. The program only
// compares files of one folder with each other (an output with the hidden files beside it, a
// folder of a walk, which never enters mount points), so the file's number on its volume is
// identity enough.
#pragma once

#include <cstdint>
#include <optional>

namespace plenwick::platform::win {

struct FileFacts {
  std::uint64_t index = 0;    // the file's number on its volume
  std::uint64_t size = 0;     // in bytes
  std::uint64_t written = 0;  // the last write, in FILETIME ticks
  std::uint32_t links = 0;
  std::uint32_t attributes = 0;  // FILE_ATTRIBUTE_*
};

// Nothing when the system cannot tell (GetLastError says why); handle is a HANDLE opened with at
// least FILE_READ_ATTRIBUTES.
std::optional<FileFacts> FactsOf(void* handle);

}  // namespace plenwick::platform::win
