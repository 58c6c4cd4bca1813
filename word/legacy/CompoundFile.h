// Reads the directory of an OLE2 compound file (the container of Word 97-2003, Excel and
// PowerPoint binaries and of password-encrypted OOXML) far enough to tell them apart. Every
// size, sector number and chain in the file is checked against the file's real size, and chains
// that loop or run off the end are reported as damage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "word/legacy/ByteSource.h"

namespace plenwick::word::legacy {

inline constexpr unsigned char kCompoundSignature[8] = {0xD0, 0xCF, 0x11, 0xE0,
                                                        0xA1, 0xB1, 0x1A, 0xE1};

struct CompoundEntry {
  std::string name;  // UTF-8
  bool isStream = false;
  std::uint32_t startSector = 0;
  std::uint64_t size = 0;
};

class CompoundFile {
 public:
  // Fails (Error::message = what is wrong) when the header or the directory is unreadable.
  static Result<CompoundFile> Open(ByteSource& source);

  // The streams and storages directly under the root.
  const std::vector<CompoundEntry>& RootEntries() const { return root_; }
  // A root entry by name, compared without regard to ASCII case as the format requires.
  const CompoundEntry* Find(std::string_view name) const;
  // Up to maxBytes from the start of a stream.
  Result<std::vector<unsigned char>> ReadHead(const CompoundEntry& entry,
                                              std::size_t maxBytes) const;

 private:
  explicit CompoundFile(ByteSource& source) : source_(&source) {}
  Status ReadHeader();
  Result<std::uint32_t> NextSector(std::uint32_t sector) const;
  Result<std::uint32_t> NextMiniSector(std::uint32_t sector) const;
  Result<std::vector<unsigned char>> ReadChain(std::uint32_t start, std::uint64_t maxBytes) const;
  Status ReadDirectory();

  ByteSource* source_;
  std::uint32_t sectorSize_ = 512;
  std::uint32_t miniSectorSize_ = 64;
  std::uint32_t miniCutoff_ = 4096;
  std::uint64_t sectorCount_ = 0;  // sectors that really exist in the file
  std::uint32_t firstDirSector_ = 0;
  std::uint32_t firstMiniFatSector_ = 0;
  std::vector<std::uint32_t> difat_;  // the FAT's own sectors, in order
  std::uint32_t miniStreamStart_ = 0;
  std::uint64_t miniStreamSize_ = 0;
  std::vector<CompoundEntry> root_;
};

}  // namespace plenwick::word::legacy
