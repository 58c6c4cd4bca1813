// Builds small OLE2 compound files in memory for the format tests: a header, one FAT sector,
// the directory and each stream in whole 512-byte sectors (streams are padded to 4096 bytes so
// they live in regular sectors), and hooks to break them in the ways hostile files do.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace plenwick::word::legacy::testing {

struct Stream {
  std::string name;
  std::vector<unsigned char> data;
};

// A Word 97 (or, with ident 0xA5DC, Word 6/95) header of the given flags.
std::vector<unsigned char> WordFib(std::uint16_t ident, std::uint16_t flags);

class CompoundBuilder {
 public:
  CompoundBuilder& Add(std::string name, std::vector<unsigned char> data = {});
  std::vector<unsigned char> Build() const;

  // Byte offsets into Build()'s result, for tests that damage a file on purpose.
  static constexpr std::size_t kFatOffset = 512;   // sector 0
  static constexpr std::size_t kDirOffset = 1024;  // sector 1 onwards

 private:
  std::vector<Stream> streams_;
};

void PutU16(std::vector<unsigned char>& b, std::size_t at, std::uint16_t v);
void PutU32(std::vector<unsigned char>& b, std::size_t at, std::uint32_t v);

}  // namespace plenwick::word::legacy::testing
