#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/Utf8Path.h"
#include "word/WordApi.h"
#include "word/engine/ReadFile.h"

namespace plenwick::word::engine {

// The portable reading, for systems without a ReadFile of their own.
Result<std::string> ReadWholeFile(const std::string& utf8Path) {
  const std::filesystem::path path = platform::PathFromUtf8(utf8Path);
  std::error_code ec;
  auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) {
    return MakeError(wordc::kReadFailed, "cannot read the file: it does not exist");
  }
  if (!std::filesystem::is_regular_file(status)) {
    return MakeError(wordc::kReadFailed, "cannot read the file: it is not a regular file");
  }
  auto size = std::filesystem::file_size(path, ec);
  if (ec) return MakeError(wordc::kReadFailed, "cannot read the file: " + ec.message());
  if (size > kMaxInputBytes) {
    return MakeError(wordc::kTooLarge, "too large: the file is over 2 GB");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return MakeError(wordc::kReadFailed,
                     std::string("cannot read the file: ") + std::strerror(errno));
  }
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  if (static_cast<std::uintmax_t>(in.gcount()) != size) {
    return MakeError(wordc::kReadFailed, "cannot read the file: it changed while being read");
  }
  return bytes;
}

}  // namespace plenwick::word::engine
