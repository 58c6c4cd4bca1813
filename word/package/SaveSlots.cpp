#include "word/package/SaveSlots.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "word/package/DeflatePadding.h"
#include "word/package/PackageErrors.h"
#include "word/package/PartNames.h"
#include "word/package/ZipFormat.h"
#include "word/package/ZipLayout.h"

namespace plenwick::word::package {
namespace {

// How much of a slot's empty room a full write writes at once: a multiple of kPadBlock.
constexpr std::size_t kGridPiece = 64 * 1024 / kPadBlock * kPadBlock;

// Where a central header holds its local header's offset.
constexpr std::size_t kCentralOffsetAt = 42;

std::uint64_t RoundUp(std::uint64_t n) {
  return (n + kPadBlock - 1) / kPadBlock * kPadBlock;
}

// Where the untouched padding may start after a prefix: a block boundary at or after `from`
// that padding can reach from the prefix's end.
std::uint64_t PadStart(std::uint64_t prefix, std::uint64_t from) {
  std::uint64_t b = RoundUp(std::max(prefix, from));
  while (!PaddingFits(b - prefix)) b += kPadBlock;
  return b;
}

// What the next save needs to trust the slot's prefix: the lineage that vouches for it, or
// else the bytes to compare. Holding the bytes of a vouched-for entry would only cost memory
// and stop its builder from appending in place.
void Remember(Slot& s, const RawEntry& e) {
  s.finalSize = e.compressedSize - e.stablePrefix;
  s.lineage = e.prefixLineage;
  s.data = e.prefixLineage != 0 ? nullptr : e.data;
}

}  // namespace

bool IsGrowing(const RawEntry& e) {
  return e.method == 8 && e.stablePrefix > 0 && e.stablePrefix < e.compressedSize;
}

namespace {

// The slot a full write gives an entry: room for its prefix and its final blocks to double, or
// `room` bytes more between them when that is larger.
Slot FreshSlot(const RawEntry& e, std::uint64_t room) {
  const std::uint64_t tailLen = e.compressedSize - e.stablePrefix;
  const std::uint64_t tailShare = e.compressedSize == 0 ? 0 : room * tailLen / e.compressedSize;
  Slot s;
  s.name = e.name;
  s.tailRoom = RoundUp(std::max<std::uint64_t>({512, 2 * tailLen + 16, tailLen + tailShare}));
  s.capacity = RoundUp(std::max<std::uint64_t>(
                   {16 * 1024, 2 * e.stablePrefix + 64, e.stablePrefix + room - tailShare})) +
               s.tailRoom;
  s.prefix = e.stablePrefix;
  s.padFrom = PadStart(s.prefix, 0);
  Remember(s, e);
  return s;
}

}  // namespace

std::vector<Slot> FreshSlots(const std::vector<const RawEntry*>& growing, std::uint64_t after) {
  std::uint64_t total = 0;
  for (const RawEntry* e : growing) total += e->compressedSize;
  std::vector<Slot> slots;
  for (const RawEntry* e : growing) {
    // A file without ZIP64 keeps these products far from overflowing.
    const std::uint64_t room = total == 0 ? 0 : after / 16 * e->compressedSize / total;
    slots.push_back(FreshSlot(*e, room));
  }
  return slots;
}

// The slot an incremental save leaves, or nothing when the entry no longer fits the old one.
std::optional<Slot> GrownSlot(const Slot& old, const RawEntry& e) {
  if (!SameName(old.name, e.name) || e.stablePrefix < old.prefix) return std::nullopt;
  if (old.lineage != 0 || e.prefixLineage != 0) {
    if (old.lineage != e.prefixLineage) return std::nullopt;
  } else {
    // Prefixes are parts of data held in memory: they fit a size_t.
    if (!old.data ||
        std::memcmp(e.data->data(), old.data->data(), static_cast<std::size_t>(old.prefix)) != 0)
      return std::nullopt;
  }
  const std::uint64_t tailLen = e.compressedSize - e.stablePrefix;
  if (tailLen > old.tailRoom || !PaddingFits(old.tailRoom - tailLen)) return std::nullopt;
  Slot s = old;
  s.name = e.name;
  s.prefix = e.stablePrefix;
  s.padFrom = PadStart(s.prefix, old.padFrom);
  if (s.padFrom > s.capacity - s.tailRoom) return std::nullopt;
  Remember(s, e);
  return s;
}

// The entry as its slot's local and central headers describe it.
RawEntry SlotHeader(const Slot& slot, const RawEntry& e) {
  RawEntry h;
  h.name = e.name;
  h.method = 8;
  h.crc32 = e.crc32;
  h.uncompressedSize = e.uncompressedSize;
  h.compressedSize = slot.capacity;
  return h;
}

// The last tailRoom bytes of a slot: padding, then the entry's final blocks.
std::string SlotTail(const Slot& slot, const RawEntry& e) {
  const std::string_view finalBlocks =
      std::string_view(*e.data).substr(static_cast<std::size_t>(e.stablePrefix));
  std::string out;
  out.reserve(static_cast<std::size_t>(slot.tailRoom));
  AppendPadding(out, slot.tailRoom - finalBlocks.size());
  out += finalBlocks;
  return out;
}

std::optional<std::vector<Slot>> GrownSlots(const std::vector<Slot>& previous,
                                            const std::vector<const RawEntry*>& growing) {
  if (previous.size() != growing.size()) return std::nullopt;
  std::vector<Slot> slots;
  for (std::size_t i = 0; i < growing.size(); ++i) {
    std::optional<Slot> s = GrownSlot(previous[i], *growing[i]);
    if (!s) return std::nullopt;
    slots.push_back(std::move(*s));
  }
  return slots;
}

const std::string& FixedDirectory::For(const std::vector<RawEntry>& fixed,
                                       const std::vector<std::uint64_t>& offsets,
                                       std::uint64_t base) {
  std::size_t pick = last_;
  if (copies_[pick].base != base) pick = 1 - pick;
  Copy& copy = copies_[pick];
  if (copy.base != base) {
    // Rebuilding every header on each move cost more than all else the writer does per save.
    std::size_t at = 0;
    std::string patched;
    for (std::size_t i = 0; i < copy.count; ++i) {
      patched.clear();
      zipformat::Put32(patched, static_cast<std::uint32_t>(base + offsets[i]));
      copy.bytes.replace(at + kCentralOffsetAt, 4, patched);
      at += zipformat::kCentralHeaderSize + fixed[i].name.size();
    }
    copy.base = base;
  }
  for (; copy.count < fixed.size(); ++copy.count) {
    AppendCentralHeader(copy.bytes, fixed[copy.count], base + offsets[copy.count]);
  }
  last_ = pick;
  return copy.bytes;
}

Status WriteSlots(SaveOutput& out, const std::vector<Slot>& slots,
                  const std::vector<const RawEntry*>& growing, const Layout* old,
                  std::uint64_t& bytesWritten) {
  std::uint64_t at = 0;
  std::string buf;
  // A slot's tail ends where the next slot's header begins: the two go out in one write.
  std::string tail;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const Slot& s = slots[i];
    const RawEntry& e = *growing[i];
    const std::uint64_t dataAt = at + Slot::kLocalHeaderSizeFor(e.name);
    const std::uint64_t from = old ? old->slots[i].prefix : 0;
    buf = std::move(tail);
    tail.clear();
    AppendLocalHeader(buf, SlotHeader(s, e));
    if (!out.WriteAt(at - (buf.size() - Slot::kLocalHeaderSizeFor(e.name)), buf)) {
      return out.Failed();
    }
    // Offsets into data held in memory: they fit a size_t.
    buf.assign(*e.data, static_cast<std::size_t>(from), static_cast<std::size_t>(s.prefix - from));
    AppendPadding(buf, s.padFrom - s.prefix);
    if (!out.WriteAt(dataAt + from, buf)) return out.Failed();
    bytesWritten += buf.size();
    if (!old) {
      // Untouched room: the grid of empty stored blocks later saves write over, written a piece
      // at a time, since the room is as large as the entry.
      std::string block;
      AppendPadding(block, kPadBlock);
      std::string grid;
      for (std::size_t n = 0; n < kGridPiece; n += kPadBlock) grid += block;
      const std::uint64_t end = s.capacity - s.tailRoom;
      for (std::uint64_t n = s.padFrom; n < end; n += grid.size()) {
        const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(grid.size(), end - n));
        if (!out.WriteAt(dataAt + n, std::string_view(grid).substr(0, piece))) return out.Failed();
        bytesWritten += piece;
      }
    }
    tail = SlotTail(s, e);
    if (old) {
      // The tail's padding grows and shrinks with the final blocks after it, but the stored
      // blocks it starts with stay where the file has them. A part that grows in its middle
      // (numbering) has a tail as large as what follows the middle.
      const Slot& before = old->slots[i];
      const std::uint64_t same = std::min(LeadingStoredBytes(before.tailRoom - before.finalSize),
                                          LeadingStoredBytes(s.tailRoom - s.finalSize));
      tail.erase(0, static_cast<std::size_t>(same));
    }
    bytesWritten += tail.size() + Slot::kLocalHeaderSizeFor(e.name);
    at += s.Size();
  }
  if (!tail.empty() && !out.WriteAt(at - tail.size(), tail)) return out.Failed();
  return Ok();
}

Status WriteRest(SaveOutput& out, const Layout& layout, const FixedEntries& fixed,
                 std::size_t fromFixed, const std::vector<RawEntry>& changing,
                 std::uint64_t& bytesWritten) {
  const std::uint64_t base = layout.FixedBase();
  std::string header;
  std::string readBack;
  for (std::size_t i = fromFixed; i < fixed.entries.size(); ++i) {
    const RawEntry& e = fixed.entries[i];
    const std::string* bytes = e.data.get();
    if (bytes == nullptr) {
      if (!fixed.readBack || !fixed.readBack(i, readBack)) {
        return MakeError(pkgc::kWriteFailed, "cannot save: part " + e.name +
                                                 ", kept aside since an earlier save, is lost");
      }
      bytes = &readBack;
    }
    header.clear();
    AppendLocalHeader(header, e);
    if (!out.Write(header, *bytes)) return out.Failed();
    bytesWritten += header.size() + bytes->size();
  }
  // The fixed entries' headers are kept between saves and go out as they are; only the changing
  // entries' headers and the end record are made for this save.
  const std::string& fixedDirectory = fixed.directory.For(fixed.entries, fixed.offsets, base);
  std::string directory;
  std::uint64_t slotAt = 0;
  std::size_t slot = 0;
  std::uint64_t offset = base + fixed.offsets.back();
  for (const RawEntry& e : changing) {
    if (IsGrowing(e)) {
      AppendCentralHeader(directory, SlotHeader(layout.slots[slot], e), slotAt);
      slotAt += layout.slots[slot].Size();
      ++slot;
      continue;
    }
    header.clear();
    AppendLocalHeader(header, e);
    if (!out.Write(header, *e.data)) return out.Failed();
    bytesWritten += header.size() + e.data->size();
    AppendCentralHeader(directory, e, offset);
    offset += header.size() + e.data->size();
  }
  const std::size_t count = fixed.entries.size() + changing.size();
  const std::uint64_t directorySize = fixedDirectory.size() + directory.size();
  if (Status s = AppendEndRecord(directory, count, directorySize, offset); !s) return s;
  if (!out.Write(fixedDirectory, directory)) return out.Failed();
  bytesWritten += fixedDirectory.size() + directory.size();
  return Ok();
}

}  // namespace plenwick::word::package
