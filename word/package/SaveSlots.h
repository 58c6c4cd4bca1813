// Where a save puts the entries that grow at their end (the main document, styles, relationships):
// a slot at the front of the file with room to grow, so the next save into the same file writes
// only the slot's new bytes. The layout is the same on every platform; PackageWriter.cpp and
// PackageWriterWin.cpp do the writing. Internal to the package layer.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Result.h"
#include "word/package/Zip.h"

namespace plenwick::word::package {

// A growing entry's place at the front of a saved file: capacity bytes of data, of which the
// last tailRoom hold padding and the final blocks; between padFrom and capacity - tailRoom lie
// the 5-byte empty blocks the slot was filled with when the file was written in full.
struct Slot {
  std::string name;
  std::uint64_t capacity = 0;
  std::uint64_t tailRoom = 0;
  std::uint64_t prefix = 0;     // stable prefix bytes in the file
  std::uint64_t padFrom = 0;    // a multiple of kPadBlock, at least prefix
  std::uint64_t finalSize = 0;  // the entry's final blocks, the last bytes of the tail
  // The entry's data as written, to check prefixes; not kept when the entry has a lineage,
  // which vouches for its prefix instead.
  std::shared_ptr<const std::string> data;
  std::uint64_t lineage = 0;

  std::uint64_t Size() const { return kLocalHeaderSizeFor(name) + capacity; }
  static std::uint64_t kLocalHeaderSizeFor(const std::string& n) { return 30 + n.size(); }
};

// What a saved file holds, enough to write the next save into it.
struct Layout {
  std::vector<Slot> slots;
  std::size_t fixedCount = 0;

  std::uint64_t FixedBase() const {
    std::uint64_t base = 0;
    for (const Slot& s : slots) base += s.Size();
    return base;
  }
};

// An entry that grows at its end and is worth a slot.
bool IsGrowing(const RawEntry& e);

// The slots a full write gives the growing entries, followed by `after` bytes of other entries.
// A slot that outgrows its room makes the next save into that file a full write, which writes
// all of those again: when they are many (pictures), room for the entries to double would bring
// it back soon, so the slots get room that comes to a sixteenth of them, shared by size. That
// much more of the file may be padding at the end of a join.
std::vector<Slot> FreshSlots(const std::vector<const RawEntry*>& growing, std::uint64_t after);

// The slot an incremental save leaves, or nothing when the entry no longer fits the old one.
std::optional<Slot> GrownSlot(const Slot& old, const RawEntry& e);

// The slots an incremental save into a file laid out as `previous` leaves, or nothing when an
// entry no longer fits its old slot.
std::optional<std::vector<Slot>> GrownSlots(const std::vector<Slot>& previous,
                                            const std::vector<const RawEntry*>& growing);

// The fixed entries' part of the central directory, kept between saves: a save adds only the
// headers of entries added since the last. Saves take turns between two files whose slots may
// differ in size, so the fixed region may start elsewhere in each: a copy is kept for each place,
// and only when a file's slots are laid out afresh do the offsets in a copy change.
class FixedDirectory {
 public:
  // `offsets[i]` is where fixed entry i starts within the fixed region, which starts at `base`.
  const std::string& For(const std::vector<RawEntry>& fixed,
                         const std::vector<std::uint64_t>& offsets, std::uint64_t base);

 private:
  struct Copy {
    std::string bytes;
    std::uint64_t base = 0;
    std::size_t count = 0;
  };
  std::array<Copy, 2> copies_;
  std::size_t last_ = 0;  // the copy the last save used
};

// Where a save's bytes go: the file each platform's writer opened for the save. Failed() is the
// error of the write that just failed, made by the writer from what the system said.
class SaveOutput {
 public:
  virtual ~SaveOutput() = default;
  // At offset, leaving the cursor where it is.
  virtual bool WriteAt(std::uint64_t offset, std::string_view bytes) = 0;
  // At the cursor, which then moves on.
  virtual bool Write(std::string_view header, std::string_view body = {}) = 0;
  virtual Error Failed() = 0;
};

// A writer's open file as a SaveOutput. File has WriteAt(offset, bytes) and Write(header, body);
// failed makes the error of the write that just failed.
template <typename File>
class FileSaveOutput final : public SaveOutput {
 public:
  FileSaveOutput(File& file, std::function<Error()> failed)
      : file_(file), failed_(std::move(failed)) {}
  bool WriteAt(std::uint64_t offset, std::string_view bytes) override {
    return file_.WriteAt(offset, bytes);
  }
  bool Write(std::string_view header, std::string_view body) override {
    return file_.Write(header, body);
  }
  Error Failed() override { return failed_(); }

 private:
  File& file_;
  std::function<Error()> failed_;
};

// Writes the slots at the front of the file: all of each in a full write (old == nullptr),
// otherwise only the header, the prefix's new bytes with the padding after them, and the part of
// the tail that differs from the one the file holds.
// Adds what it writes to bytesWritten.
Status WriteSlots(SaveOutput& out, const std::vector<Slot>& slots,
                  const std::vector<const RawEntry*>& growing, const Layout* old,
                  std::uint64_t& bytesWritten);

// The entries every save writes again after the slots, in the order written, with the offset of
// each local header from the start of their region (offsets.back() is where it ends) and their
// central directory.
struct FixedEntries {
  const std::vector<RawEntry>& entries;
  const std::vector<std::uint64_t>& offsets;
  FixedDirectory& directory;
  // The bytes of entry i when the writer no longer holds them in memory (data is null): false
  // when they cannot be had.
  std::function<bool(std::size_t i, std::string& bytes)> readBack = {};
};

// Writes, at the cursor, the fixed entries from fromFixed on, the changing entries without a slot
// and the central directory. The directory lists the fixed entries, then the changing ones in
// the order given, wherever their bytes lie: a reader sees the same package whether or not an
// entry got a slot at the front. Adds what it writes to bytesWritten.
Status WriteRest(SaveOutput& out, const Layout& layout, const FixedEntries& fixed,
                 std::size_t fromFixed, const std::vector<RawEntry>& changing,
                 std::uint64_t& bytesWritten);

// The entry as its slot's local and central headers describe it.
RawEntry SlotHeader(const Slot& slot, const RawEntry& e);

// The last tailRoom bytes of a slot: padding, then the entry's final blocks.
std::string SlotTail(const Slot& slot, const RawEntry& e);

}  // namespace plenwick::word::package
