#include "platform/win/FileFacts.h"

#include <windows.h>
#include <winternl.h>

namespace plenwick::platform::win {

std::optional<FileFacts> FactsOf(void* handle) {
  FILE_STANDARD_INFO standard{};
  FILE_BASIC_INFO basic{};
  if (!GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard) ||
      !GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)) {
    return std::nullopt;
  }
  // The Win32 API gives the number only together with the volume's serial number.
  IO_STATUS_BLOCK status{};
  FILE_INTERNAL_INFORMATION internal{};
  const NTSTATUS queried =
      NtQueryInformationFile(handle, &status, &internal, sizeof internal, FileInternalInformation);
  if (!NT_SUCCESS(queried)) {
    SetLastError(RtlNtStatusToDosError(queried));
    return std::nullopt;
  }
  FileFacts facts;
  facts.index = static_cast<std::uint64_t>(internal.IndexNumber.QuadPart);
  facts.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
  facts.written = static_cast<std::uint64_t>(basic.LastWriteTime.QuadPart);
  facts.links = standard.NumberOfLinks;
  facts.attributes = basic.FileAttributes;
  return facts;
}

}  // namespace plenwick::platform::win
