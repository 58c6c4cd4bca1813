#include <windows.h>

#include <algorithm>

#include "platform/win/OwnedHandle.h"
#include "platform/win/WideText.h"
#include "word/WordApi.h"
#include "word/engine/ReadFile.h"

namespace plenwick::word::engine {
namespace {

Error Failed(const std::string& why) {
  return MakeError(wordc::kReadFailed, "cannot read the file: " + why);
}

}  // namespace

// Opened once and examined through the handle: what is examined is what is read, a path of any
// length opens in its \\?\ form, and the file takes three calls (open, size, read) where the C
// runtime's streams take a dozen, each a round trip to the server under wine.
Result<std::string> ReadWholeFile(const std::string& utf8Path) {
  const std::optional<std::wstring> wide = platform::win::WidePath(utf8Path);
  if (!wide) return Failed("its name is not valid text");
  // Others may go on reading, writing or renaming it, as they may while Word reads a file.
  const platform::win::OwnedHandle file(CreateFileW(
      wide->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_INVALID_NAME) {
      return Failed("it does not exist");
    }
    // A folder is refused as "access denied" by an open without backup semantics.
    const DWORD attributes = GetFileAttributesW(wide->c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return Failed("it is not a regular file");
    }
    return Failed(platform::win::ErrorText(error));
  }
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return Failed("it is not a regular file");
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return Failed(platform::win::ErrorText(GetLastError()));
  if (static_cast<std::uintmax_t>(size.QuadPart) > kMaxInputBytes) {
    return MakeError(wordc::kTooLarge, "too large: the file is over 2 GB");
  }
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const auto piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data() + done, piece, &read, nullptr)) {
      return Failed(platform::win::ErrorText(GetLastError()));
    }
    if (read == 0) break;
    done += read;
  }
  char extra = 0;
  DWORD more = 0;
  if (done != bytes.size() || (ReadFile(file.get(), &extra, 1, &more, nullptr) && more > 0)) {
    return Failed("it changed while being read");
  }
  return bytes;
}

}  // namespace plenwick::word::engine
