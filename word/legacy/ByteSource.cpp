#include "word/legacy/ByteSource.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

#include "platform/Utf8Path.h"

namespace plenwick::word::legacy {

std::size_t MemorySource::Read(std::uint64_t offset, std::span<unsigned char> out) {
  if (offset >= bytes_.size()) return 0;
  const auto start = static_cast<std::size_t>(offset);
  const std::size_t n = std::min(out.size(), bytes_.size() - start);
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(start), n, out.begin());
  return n;
}

FileSource::FileSource(const std::string& path) {
  const std::filesystem::path fsPath = platform::PathFromUtf8(path);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(fsPath, ec)) return;
  const auto size = std::filesystem::file_size(fsPath, ec);
  if (ec) return;
  in_.open(fsPath, std::ios::binary);
  if (!in_) return;
  size_ = size;
  open_ = true;
}

std::size_t FileSource::Read(std::uint64_t offset, std::span<unsigned char> out) {
  if (!open_ || offset >= size_ || out.empty()) return 0;
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<std::streamoff>::max())) return 0;
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(offset));
  if (!in_) return 0;
  const std::size_t want =
      static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), size_ - offset));
  in_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(want));
  return static_cast<std::size_t>(std::max<std::streamsize>(in_.gcount(), 0));
}

std::uint16_t ReadU16(std::span<const unsigned char> b, std::size_t at) {
  if (at > b.size() || b.size() - at < 2) return 0;
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t ReadU32(std::span<const unsigned char> b, std::size_t at) {
  if (at > b.size() || b.size() - at < 4) return 0;
  return static_cast<std::uint32_t>(ReadU16(b, at)) |
         (static_cast<std::uint32_t>(ReadU16(b, at + 2)) << 16);
}

std::uint64_t ReadU64(std::span<const unsigned char> b, std::size_t at) {
  if (at > b.size() || b.size() - at < 8) return 0;
  return static_cast<std::uint64_t>(ReadU32(b, at)) |
         (static_cast<std::uint64_t>(ReadU32(b, at + 4)) << 32);
}

}  // namespace plenwick::word::legacy
