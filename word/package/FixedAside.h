// A package writer's fixed parts kept out of memory.
//
// The writer needs a fixed part's bytes for every save that writes it: the two saves after it
// was added (one into each of the files the saves take turns with) and any full write. Held in
// memory all along, they made memory grow with the output (the pictures of 2,000 documents took
// 60 MB). Parts the last two saves wrote, and the oldest parts whenever those held come to more
// than a limit (the output saved only at the end), move into a file of the writer's own, which
// no one else can open and which goes when it is closed, and are read back when needed. Where
// no such file can be made, the bytes stay in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "word/package/Zip.h"

namespace plenwick::word::package {

// The file; one implementation per platform (FixedAsidePosix.cpp, FixedAsideWin.cpp).
class AsideFile {
 public:
  // A new file in folder ("" for where temporary files go; on Windows always there); null when
  // none can be made.
  static std::unique_ptr<AsideFile> Create(const std::string& folder);
  virtual ~AsideFile() = default;
  virtual bool WriteAt(std::uint64_t offset, std::string_view bytes) = 0;
  virtual bool ReadAt(std::uint64_t offset, std::string& bytes) = 0;  // bytes.size() of them
};

class FixedAside {
 public:
  static constexpr std::uint64_t kHeldLimit = 24ull << 20;

  // A part was added at the end of fixed; `folder` is where the output goes ("" before the
  // first save).
  void Added(std::vector<RawEntry>& fixed, const std::string& folder);
  // A save wrote the fixed parts up to fixedCount.
  void Saved(std::vector<RawEntry>& fixed, std::size_t fixedCount, const std::string& folder);
  // The bytes of fixed part i, held or read back; false when they cannot be had.
  bool Bytes(const std::vector<RawEntry>& fixed, std::size_t i, std::string& bytes) const;
  // Whether fixed part i holds these very bytes.
  bool Same(const std::vector<RawEntry>& fixed, std::size_t i, const std::string& bytes) const;

 private:
  void SetAside(std::vector<RawEntry>& fixed, std::size_t count, const std::string& folder);

  std::unique_ptr<AsideFile> file_;
  bool unavailable_ = false;
  std::uint64_t size_ = 0;
  std::vector<std::uint64_t> at_;  // where part i lies in the file, for the parts set aside
  std::size_t lastSaved_ = 0;      // the parts the save before the last wrote
  std::uint64_t held_ = 0;         // bytes of the parts still in memory
};

}  // namespace plenwick::word::package
