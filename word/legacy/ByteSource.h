// Random, bounded reads from a file or a buffer, so the format checks never load a whole file and
// never trust a size written inside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace plenwick::word::legacy {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Reads up to out.size() bytes at offset; returns how many were read (short at the end).
  virtual std::size_t Read(std::uint64_t offset, std::span<unsigned char> out) = 0;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::span<const unsigned char> bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::size_t Read(std::uint64_t offset, std::span<unsigned char> out) override;

 private:
  std::span<const unsigned char> bytes_;
};

class FileSource final : public ByteSource {
 public:
  // Check IsOpen() before use; a file that cannot be opened reads as empty.
  explicit FileSource(const std::string& path);
  bool IsOpen() const { return open_; }
  std::uint64_t Size() const override { return size_; }
  std::size_t Read(std::uint64_t offset, std::span<unsigned char> out) override;

 private:
  std::ifstream in_;
  std::uint64_t size_ = 0;
  bool open_ = false;
};

// Little-endian field readers over a buffer that may be too short (then 0).
std::uint16_t ReadU16(std::span<const unsigned char> b, std::size_t at);
std::uint32_t ReadU32(std::span<const unsigned char> b, std::size_t at);
std::uint64_t ReadU64(std::span<const unsigned char> b, std::size_t at);

}  // namespace plenwick::word::legacy
