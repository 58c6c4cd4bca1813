#include "word/legacy/CompoundFile.h"

#include <algorithm>
#include <array>
#include <unordered_set>

namespace plenwick::word::legacy {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kDirEntrySize = 128;
// A real document has a few dozen entries; this bounds memory and time on hostile files.
constexpr std::uint64_t kMaxDirectoryBytes = 4u << 20;

Error Damaged(std::string what) {
  return MakeError(0, std::move(what));
}

std::string Utf16NameToUtf8(std::span<const unsigned char> raw, std::size_t bytes) {
  std::string out;
  for (std::size_t i = 0; i + 1 < bytes && i + 1 < raw.size(); i += 2) {
    const unsigned cp = ReadU16(raw, i);
    if (cp == 0) break;
    // Names are short and surrogates never matter for the names we look for.
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) {
             return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
           };
           return lower(x) == lower(y);
         });
}

}  // namespace

Result<CompoundFile> CompoundFile::Open(ByteSource& source) {
  CompoundFile file(source);
  if (auto st = file.ReadHeader(); !st) return st.error();
  if (auto st = file.ReadDirectory(); !st) return st.error();
  return file;
}

Status CompoundFile::ReadHeader() {
  std::array<unsigned char, kHeaderSize> h{};
  if (source_->Read(0, h) != h.size()) return Damaged("the compound file header is truncated");
  if (!std::equal(std::begin(kCompoundSignature), std::end(kCompoundSignature), h.begin())) {
    return Damaged("not a compound file");
  }
  const std::uint16_t shift = ReadU16(h, 0x1E);
  const std::uint16_t miniShift = ReadU16(h, 0x20);
  if (shift != 9 && shift != 12) return Damaged("the compound file has an invalid sector size");
  if (miniShift != 6) return Damaged("the compound file has an invalid mini sector size");
  sectorSize_ = 1u << shift;
  miniSectorSize_ = 1u << miniShift;
  miniCutoff_ = ReadU32(h, 0x38);
  if (miniCutoff_ != 4096) miniCutoff_ = 4096;  // the only value writers use; never trust others
  // Sector n starts at (n + 1) * sectorSize: the header fills sector "-1".
  const std::uint64_t size = source_->Size();
  sectorCount_ = size > sectorSize_ ? (size - sectorSize_ + sectorSize_ - 1) / sectorSize_ : 0;
  firstDirSector_ = ReadU32(h, 0x30);
  firstMiniFatSector_ = ReadU32(h, 0x3C);
  const std::uint32_t fatSectors = ReadU32(h, 0x2C);
  std::uint32_t difatSector = ReadU32(h, 0x44);
  const std::uint32_t difatCount = ReadU32(h, 0x48);
  if (fatSectors > sectorCount_) return Damaged("the compound file's allocation table is too long");

  const std::span<const unsigned char> hs(h);
  for (std::size_t i = 0; i < 109 && difat_.size() < fatSectors; ++i) {
    difat_.push_back(ReadU32(hs, 0x4C + i * 4));
  }
  // Further FAT sector numbers live in a chain of DIFAT sectors, each ending with the next one's.
  std::vector<unsigned char> sec(sectorSize_);
  std::unordered_set<std::uint32_t> seen;
  for (std::uint32_t n = 0; difat_.size() < fatSectors; ++n) {
    if (n >= difatCount || difatSector >= sectorCount_ || !seen.insert(difatSector).second) {
      return Damaged("the compound file's allocation table chain is broken");
    }
    const std::uint64_t at = (static_cast<std::uint64_t>(difatSector) + 1) * sectorSize_;
    if (source_->Read(at, sec) != sec.size()) return Damaged("the compound file is truncated");
    const std::size_t perSector = sectorSize_ / 4 - 1;
    for (std::size_t i = 0; i < perSector && difat_.size() < fatSectors; ++i) {
      difat_.push_back(ReadU32(sec, i * 4));
    }
    difatSector = ReadU32(sec, perSector * 4);
  }
  for (std::uint32_t s : difat_) {
    if (s >= sectorCount_) return Damaged("the compound file's allocation table is out of range");
  }
  return Ok();
}

Result<std::uint32_t> CompoundFile::NextSector(std::uint32_t sector) const {
  const std::uint32_t perSector = sectorSize_ / 4;
  const std::uint64_t index = sector / perSector;
  if (index >= difat_.size()) return Damaged("a sector chain leaves the allocation table");
  std::array<unsigned char, 4> b{};
  const std::uint64_t at =
      (static_cast<std::uint64_t>(difat_[static_cast<std::size_t>(index)]) + 1) * sectorSize_ +
      (sector % perSector) * 4ull;
  if (source_->Read(at, b) != b.size()) return Damaged("the compound file is truncated");
  return ReadU32(b, 0);
}

Result<std::uint32_t> CompoundFile::NextMiniSector(std::uint32_t sector) const {
  // The mini FAT is itself a stream in the big sectors; walk to the sector holding this entry.
  const std::uint32_t perSector = sectorSize_ / 4;
  std::uint32_t fatSector = firstMiniFatSector_;
  for (std::uint64_t hop = sector / perSector; hop > 0; --hop) {
    if (fatSector >= sectorCount_) return Damaged("the mini allocation table is broken");
    auto next = NextSector(fatSector);
    if (!next) return next.error();
    fatSector = *next;
  }
  if (fatSector >= sectorCount_) return Damaged("the mini allocation table is broken");
  std::array<unsigned char, 4> b{};
  const std::uint64_t at =
      (static_cast<std::uint64_t>(fatSector) + 1) * sectorSize_ + (sector % perSector) * 4ull;
  if (source_->Read(at, b) != b.size()) return Damaged("the compound file is truncated");
  return ReadU32(b, 0);
}

Result<std::vector<unsigned char>> CompoundFile::ReadChain(std::uint32_t start,
                                                           std::uint64_t maxBytes) const {
  std::vector<unsigned char> out;
  std::vector<unsigned char> sec(sectorSize_);
  std::uint32_t cur = start;
  for (std::uint64_t steps = 0; out.size() < maxBytes && cur != kEndOfChain; ++steps) {
    // A chain longer than the file has sectors must loop.
    if (cur >= sectorCount_ || steps > sectorCount_) return Damaged("a sector chain is broken");
    const std::uint64_t at = (static_cast<std::uint64_t>(cur) + 1) * sectorSize_;
    const std::size_t got = source_->Read(at, sec);
    const std::size_t take =
        static_cast<std::size_t>(std::min<std::uint64_t>(got, maxBytes - out.size()));
    out.insert(out.end(), sec.begin(), sec.begin() + static_cast<std::ptrdiff_t>(take));
    if (got != sec.size()) break;  // the last sector of a file may be short
    auto next = NextSector(cur);
    if (!next) return next.error();
    cur = *next;
  }
  return out;
}

Status CompoundFile::ReadDirectory() {
  auto dir = ReadChain(firstDirSector_, kMaxDirectoryBytes);
  if (!dir) return Damaged("the compound file's directory is unreadable: " + dir.error().message);
  const std::span<const unsigned char> d(*dir);
  const std::size_t count = d.size() / kDirEntrySize;
  if (count == 0) return Damaged("the compound file has no directory");
  const auto entry = [&](std::size_t i) { return d.subspan(i * kDirEntrySize, kDirEntrySize); };
  if (entry(0)[0x42] != 5) return Damaged("the compound file has no root entry");
  miniStreamStart_ = ReadU32(entry(0), 0x74);
  miniStreamSize_ = ReadU32(entry(0), 0x78);

  // The root's children form a tree linked by left/right sibling ids; a visited set stops loops.
  std::vector<bool> visited(count, false);
  std::vector<std::uint32_t> stack{ReadU32(entry(0), 0x4C)};
  visited[0] = true;
  while (!stack.empty()) {
    const std::uint32_t id = stack.back();
    stack.pop_back();
    if (id == kNoStream) continue;
    if (id >= count || visited[id]) return Damaged("the compound file's directory is corrupt");
    visited[id] = true;
    const auto e = entry(id);
    const std::uint8_t type = e[0x42];
    const std::size_t nameBytes = std::min<std::size_t>(ReadU16(e, 0x40), 64);
    if (type == 1 || type == 2) {
      CompoundEntry ce;
      ce.name = Utf16NameToUtf8(e, nameBytes);
      ce.isStream = type == 2;
      ce.startSector = ReadU32(e, 0x74);
      ce.size = sectorSize_ == 512 ? ReadU32(e, 0x78) : ReadU64(e, 0x78);
      root_.push_back(std::move(ce));
    }
    stack.push_back(ReadU32(e, 0x44));
    stack.push_back(ReadU32(e, 0x48));
  }
  return Ok();
}

const CompoundEntry* CompoundFile::Find(std::string_view name) const {
  for (const auto& e : root_) {
    if (EqualsIgnoreAsciiCase(e.name, name)) return &e;
  }
  return nullptr;
}

Result<std::vector<unsigned char>> CompoundFile::ReadHead(const CompoundEntry& entry,
                                                          std::size_t maxBytes) const {
  const std::uint64_t want = std::min<std::uint64_t>(entry.size, maxBytes);
  if (!entry.isStream) return Damaged("not a stream");
  if (entry.size >= miniCutoff_) {
    auto out = ReadChain(entry.startSector, want);
    if (!out) return out.error();
    if (out->size() < want) return Damaged("a stream is truncated");
    return out;
  }
  // Small streams live in the mini stream, in 64-byte mini sectors chained by the mini FAT.
  auto mini = ReadChain(miniStreamStart_, std::min<std::uint64_t>(miniStreamSize_, 64u << 20));
  if (!mini) return mini.error();
  std::vector<unsigned char> out;
  std::uint32_t cur = entry.startSector;
  const std::uint64_t miniCount = mini->size() / miniSectorSize_;
  for (std::uint64_t steps = 0; out.size() < want && cur != kEndOfChain; ++steps) {
    if (cur >= miniCount || steps > miniCount) return Damaged("a mini sector chain is broken");
    const std::size_t at = static_cast<std::size_t>(cur) * miniSectorSize_;
    const std::size_t take =
        static_cast<std::size_t>(std::min<std::uint64_t>(miniSectorSize_, want - out.size()));
    out.insert(out.end(), mini->begin() + static_cast<std::ptrdiff_t>(at),
               mini->begin() + static_cast<std::ptrdiff_t>(at + take));
    auto next = NextMiniSector(cur);
    if (!next) return next.error();
    cur = *next;
  }
  if (out.size() < want) return Damaged("a stream is truncated");
  return out;
}

}  // namespace plenwick::word::legacy
