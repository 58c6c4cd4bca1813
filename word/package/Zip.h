// ZIP packages (the container of every OOXML file), read defensively and written so that a
// document saved again and again reuses what it already wrote.
//
// Agreed interface between the package layer and the composer. The package layer's owner
// implements it (ZipReader.cpp, PackageWriter.cpp, ...) and may add to it, but keeps these names.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"

namespace plenwick::word::package {

// Safety limits for reading packages written by others.
struct ReadLimits {
  std::uint64_t maxFileSize = 2ull << 30;     // the package file itself
  std::uint64_t maxEntryCount = 20000;        // entries in the central directory
  std::uint64_t maxEntrySize = 512ull << 20;  // one inflated entry
  std::uint64_t maxTotalSize = 2ull << 30;    // all inflated entries together
  std::uint64_t maxRatio = 200;               // inflated / compressed, for entries over 1 MiB
};

// One entry as it is stored: its bytes still compressed (or stored), with what the central
// directory says of them. Copying a RawEntry into another package never recompresses it.
struct RawEntry {
  std::string name;
  std::uint16_t method = 0;  // 0 stored, 8 deflated
  std::uint32_t crc32 = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
  std::shared_ptr<const std::string> data;  // compressedSize bytes
  // For a deflated entry that only grows at its end (the main document, styles,
  // relationships): data's first stablePrefix bytes are whole non-final deflate blocks ending on
  // a byte boundary, and the data of every later save of the entry starts with them. The writer
  // then rewrites only what follows them (it compares, or trusts prefixLineage, so a prefix
  // that did change costs a full write, nothing worse).
  // 0 when the entry does not grow that way.
  std::uint64_t stablePrefix = 0;
  // Nonzero when whoever built the entry vouches for its prefix: of two entries with the same
  // name and lineage, the one with the shorter stablePrefix has its prefix at the start of the
  // other's. The writer then neither keeps an earlier save's bytes nor compares them, so the
  // builder may go on appending to the same buffer. A builder that rewrites anything before an
  // earlier prefix starts a new lineage.
  std::uint64_t prefixLineage = 0;
};

// Compresses bytes into a RawEntry (deflate, or stored when that is smaller).
RawEntry MakeEntry(std::string name, std::string_view bytes);

class ZipReader {
 public:
  // Reads the whole package into memory and checks its central directory against the limits.
  // Fails with a reason for: not a ZIP, truncated, encrypted entries, unsupported methods,
  // names that are absolute or leave the package, too many or too large entries.
  static Result<ZipReader> Open(const std::string& path, const ReadLimits& limits = {});
  static Result<ZipReader> FromBytes(std::string bytes, const ReadLimits& limits = {});

  // Entry names in central-directory order.
  const std::vector<std::string>& Names() const;
  bool Has(std::string_view name) const;  // OPC names compare case-insensitively
  // The inflated bytes, checked against the limits and the CRC.
  Result<std::string> Read(std::string_view name) const;
  // The stored bytes, for copying without recompressing; checked against the CRC first. The
  // inflated bytes pass through `seen`, piece by piece, as they are checked.
  Result<RawEntry> Raw(std::string_view name,
                       const std::function<void(std::string_view)>& seen = {}) const;
  // The stored bytes as they are, unchecked, for telling an entry identical to one already
  // read and checked; valid while the reader lives.
  struct Stored {
    std::uint16_t method = 0;
    std::uint32_t crc32 = 0;
    std::uint64_t uncompressedSize = 0;
    std::string_view data;
  };
  Result<Stored> StoredBytes(std::string_view name) const;

  ZipReader(ZipReader&&) noexcept;
  ZipReader& operator=(ZipReader&&) noexcept;
  ~ZipReader();

 private:
  struct Impl;
  explicit ZipReader(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// A deflate stream built from independently compressed pieces, so a part that only grows at its
// end (the main document) is never compressed twice. Each piece ends on a byte boundary
// (sync flush); Finish adds the last piece with the final block.
class GrowingEntry {
 public:
  explicit GrowingEntry(std::string name);
  void Append(std::string_view bytes);  // compresses now; keeps only compressed bytes
  // The entry as it stands with tail appended; its stablePrefix covers the appended pieces, so
  // PackageWriter rewrites only what is new of it.
  RawEntry Finish(std::string_view tail) const;
  std::uint64_t UncompressedSize() const;

 private:
  std::string name_;
  std::string compressed_;
  std::uint32_t crc_ = 0;
  std::uint64_t size_ = 0;
};

// Writes a package again and again to one path. Entries added with AddFixed never change, so each
// save writes them once and reuses them afterwards; the changing entries and the central directory
// are written every time, except what an entry's stablePrefix says is already there. Every save
// is atomic: the target holds the previous save or this one. Not thread-safe.
enum class SaveMode {
  kReplace,    // the save replaces whatever the path names
  kCreateNew,  // the first save to a path fails with kNameTaken when something is there
};

class PackageWriter {
 public:
  PackageWriter();
  ~PackageWriter();  // removes any spare file it keeps beside the target
  PackageWriter(const PackageWriter&) = delete;
  PackageWriter& operator=(const PackageWriter&) = delete;

  // Adds an entry written before the changing ones in every later save. Returns false, adding
  // nothing, for an entry without data or a name already fixed (names compare case-insensitively)
  // with other content; the very same entry again is accepted and kept once.
  bool AddFixed(RawEntry entry);
  bool HasFixed(std::string_view name) const;
  // Writes the fixed entries, then `changing` in the order given, to path. Fails (leaving the
  // previous save as it was) with the Word layer's kWriteFailed and a reason naming the path, or
  // with kInvalidState when a changing entry repeats a name.
  // kCreateNew claims the path in the same step as the save appears there; a path this writer
  // saved to last is its own and is replaced in either mode.
  Status Save(const std::string& path, const std::vector<RawEntry>& changing,
              SaveMode mode = SaveMode::kReplace);

  // Removes the hidden files kept beside the last target; the next save is a full write.
  void DropSpares();
  // Every save is atomic: the target names the previous save or the new one, never a torn
  // file, for every program that reads it and also when this program is killed. Power-safe
  // (the default) extends that to power cuts and system crashes: each save's bytes are flushed
  // to the disk before its rename, and the rename is committed to the disk in the background
  // before the next save writes over the file it replaced. The disk may then name a save one
  // older than the last, never a torn one. Not power-safe saves skip both (faster on a busy
  // disk; a power cut may then tear the output).
  void SetPowerSafe(bool powerSafe);
  // Makes the last save durable, name and bytes; the destructor calls it.
  Status Flush();

  struct SaveStats {
    std::uint64_t saves = 0;
    std::uint64_t incrementalSaves = 0;  // saves that reused an earlier save's file
    std::uint64_t bytesWritten = 0;
  };
  SaveStats Stats() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace plenwick::word::package
