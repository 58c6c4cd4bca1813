#include "CompoundBuilder.h"

#include <algorithm>

namespace plenwick::word::legacy::testing {
namespace {

constexpr std::uint32_t kEnd = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kFatSect = 0xFFFFFFFD;
constexpr std::size_t kSector = 512;

void PutEntry(std::vector<unsigned char>& b, std::size_t at, const std::string& name,
              std::uint8_t type, std::uint32_t right, std::uint32_t child, std::uint32_t start,
              std::uint32_t size) {
  for (std::size_t i = 0; i < name.size() && i < 31; ++i) {
    PutU16(b, at + i * 2, static_cast<unsigned char>(name[i]));
  }
  PutU16(b, at + 0x40,
         static_cast<std::uint16_t>((std::min<std::size_t>(name.size(), 31) + 1) * 2));
  b[at + 0x42] = type;
  b[at + 0x43] = 1;  // black
  PutU32(b, at + 0x44, kFree);
  PutU32(b, at + 0x48, right);
  PutU32(b, at + 0x4C, child);
  PutU32(b, at + 0x74, start);
  PutU32(b, at + 0x78, size);
}

}  // namespace

void PutU16(std::vector<unsigned char>& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<unsigned char>(v & 0xFF);
  b[at + 1] = static_cast<unsigned char>(v >> 8);
}

void PutU32(std::vector<unsigned char>& b, std::size_t at, std::uint32_t v) {
  PutU16(b, at, static_cast<std::uint16_t>(v & 0xFFFF));
  PutU16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}

std::vector<unsigned char> WordFib(std::uint16_t ident, std::uint16_t flags) {
  std::vector<unsigned char> fib(4096, 0);
  PutU16(fib, 0, ident);
  PutU16(fib, 2, ident == 0xA5EC ? 0xC1 : 0x65);
  PutU16(fib, 0x0A, flags);
  return fib;
}

CompoundBuilder& CompoundBuilder::Add(std::string name, std::vector<unsigned char> data) {
  data.resize(std::max<std::size_t>(data.size(), 4096), 0);
  streams_.push_back({std::move(name), std::move(data)});
  return *this;
}

std::vector<unsigned char> CompoundBuilder::Build() const {
  const std::size_t entries = streams_.size() + 1;
  const std::size_t dirSectors = (entries + 3) / 4;
  std::size_t next = 1 + dirSectors;  // sector 0 is the FAT
  std::vector<std::uint32_t> fat(kSector / 4, kFree);
  fat[0] = kFatSect;
  for (std::size_t i = 0; i < dirSectors; ++i) {
    fat[1 + i] = i + 1 < dirSectors ? static_cast<std::uint32_t>(2 + i) : kEnd;
  }
  std::vector<std::uint32_t> starts;
  for (const auto& s : streams_) {
    const std::size_t count = (s.data.size() + kSector - 1) / kSector;
    starts.push_back(static_cast<std::uint32_t>(next));
    for (std::size_t k = 0; k < count; ++k) {
      fat[next + k] = k + 1 < count ? static_cast<std::uint32_t>(next + k + 1) : kEnd;
    }
    next += count;
  }
  std::vector<unsigned char> file((next + 1) * kSector, 0);
  const unsigned char sig[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::copy(std::begin(sig), std::end(sig), file.begin());
  PutU16(file, 0x18, 0x3E);
  PutU16(file, 0x1A, 3);
  PutU16(file, 0x1C, 0xFFFE);
  PutU16(file, 0x1E, 9);
  PutU16(file, 0x20, 6);
  PutU32(file, 0x2C, 1);  // one FAT sector
  PutU32(file, 0x30, 1);  // directory starts at sector 1
  PutU32(file, 0x38, 4096);
  PutU32(file, 0x3C, kEnd);
  PutU32(file, 0x44, kEnd);
  for (std::size_t i = 0; i < 109; ++i) PutU32(file, 0x4C + i * 4, i == 0 ? 0 : kFree);
  for (std::size_t i = 0; i < fat.size(); ++i) PutU32(file, kFatOffset + i * 4, fat[i]);
  // Root, then the streams as a chain of right siblings: a valid, if unbalanced, tree.
  PutEntry(file, kDirOffset, "Root Entry", 5, kFree, streams_.empty() ? kFree : 1, kEnd, 0);
  for (std::size_t i = 0; i < streams_.size(); ++i) {
    const auto right = i + 1 < streams_.size() ? static_cast<std::uint32_t>(i + 2) : kFree;
    PutEntry(file, kDirOffset + (i + 1) * 128, streams_[i].name, 2, right, kFree, starts[i],
             static_cast<std::uint32_t>(streams_[i].data.size()));
    std::copy(streams_[i].data.begin(), streams_[i].data.end(),
              file.begin() + static_cast<std::ptrdiff_t>((starts[i] + 1) * kSector));
  }
  return file;
}

}  // namespace plenwick::word::legacy::testing
