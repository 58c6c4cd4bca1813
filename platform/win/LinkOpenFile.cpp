#include "platform/win/LinkOpenFile.h"

#include <windows.h>
#include <winternl.h>

#include <cstddef>
#include <cstring>
#include <vector>

namespace plenwick::platform::win {

bool LinkOpenFile(void* handle, const wchar_t* newPath) {
  // The native call takes the system's own form of the path, which CreateHardLinkW also makes
  // from the one it is given.
  UNICODE_STRING name{};
  if (!RtlDosPathNameToNtPathName_U(newPath, &name, nullptr, nullptr)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  const std::size_t size = offsetof(FILE_LINK_INFORMATION, FileName) + name.Length;
  std::vector<unsigned char> buffer(
      size < sizeof(FILE_LINK_INFORMATION) ? sizeof(FILE_LINK_INFORMATION) : size);
  auto* link = reinterpret_cast<FILE_LINK_INFORMATION*>(buffer.data());
  link->ReplaceIfExists = FALSE;
  link->RootDirectory = nullptr;
  link->FileNameLength = name.Length;
  std::memcpy(link->FileName, name.Buffer, name.Length);
  RtlFreeUnicodeString(&name);
  IO_STATUS_BLOCK io{};
  const NTSTATUS linked = NtSetInformationFile(handle, &io, link, static_cast<ULONG>(buffer.size()),
                                               FileLinkInformation);
  if (!NT_SUCCESS(linked)) {
    SetLastError(RtlNtStatusToDosError(linked));
    return false;
  }
  return true;
}

}  // namespace plenwick::platform::win
