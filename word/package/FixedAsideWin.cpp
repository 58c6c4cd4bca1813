#include <windows.h>

#include <algorithm>

#include "platform/win/WideText.h"
#include "word/package/FixedAside.h"
#include "word/package/TempFiles.h"

namespace plenwick::word::package {
namespace {

class WinAsideFile final : public AsideFile {
 public:
  explicit WinAsideFile(HANDLE handle) : handle_(handle) {}
  ~WinAsideFile() override { CloseHandle(handle_); }
  WinAsideFile(const WinAsideFile&) = delete;
  WinAsideFile& operator=(const WinAsideFile&) = delete;

  // Placed by the file pointer, as the writer's own writes are: under wine an OVERLAPPED
  // offset costs a round trip to its server.
  bool WriteAt(std::uint64_t offset, std::string_view bytes) override {
    if (!Seek(offset)) return false;
    while (!bytes.empty()) {
      const auto piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kPiece));
      DWORD written = 0;
      if (!WriteFile(handle_, bytes.data(), piece, &written, nullptr) || written == 0) return false;
      bytes.remove_prefix(written);
    }
    return true;
  }

  bool ReadAt(std::uint64_t offset, std::string& bytes) override {
    if (!Seek(offset)) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
      const auto piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kPiece));
      DWORD read = 0;
      if (!ReadFile(handle_, bytes.data() + done, piece, &read, nullptr) || read == 0) return false;
      done += read;
    }
    return true;
  }

 private:
  static constexpr std::size_t kPiece = std::size_t{1} << 30;

  bool Seek(std::uint64_t offset) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN) != 0;
  }

  HANDLE handle_;
};

}  // namespace

// Always where temporary files go: a file with a name would show beside the output, and one
// that no one else may open there gets in the way of programs that look at the folder.
std::unique_ptr<AsideFile> AsideFile::Create(const std::string& /*folder*/) {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) return nullptr;
  const std::optional<std::string> narrow = platform::win::Narrow(std::wstring_view(temp, length));
  if (!narrow) return nullptr;
  std::string where = *narrow;
  while (!where.empty() && (where.back() == '\\' || where.back() == '/')) where.pop_back();
  // A hidden name of this process's, shared with no one, gone when closed: also when the
  // program ends without closing it.
  const std::optional<std::wstring> path =
      platform::win::WidePath(TempPath(where + "\\aside", NewTempOwner(), 'c'));
  if (!path) return nullptr;
  const HANDLE handle = CreateFileW(
      path->c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<WinAsideFile>(handle);
}

}  // namespace plenwick::word::package
