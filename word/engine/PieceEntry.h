// Parts that only ever grow by whole elements (footnotes, styles, relationships, content types)
// kept as runs of independently compressed pieces, so each save assembles them without
// compressing anything twice. A part may have several runs that grow independently (numbering
// keeps its abstract definitions before its instances) and are joined in a fixed order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "word/package/Zip.h"

namespace plenwick::word::engine {

// A raw deflate stream without its final block, ending on a byte boundary.
class CompressedRun {
 public:
  void Append(std::string_view bytes);
  void Append(const CompressedRun& other);
  bool empty() const { return size_ == 0; }
  std::uint64_t size() const { return size_; }

 private:
  friend package::RawEntry AssembleEntry(std::string name,
                                         const std::vector<const CompressedRun*>& runs);
  std::string compressed_;
  std::uint32_t crc_ = 0;
  std::uint64_t size_ = 0;
};

// Joins the runs, in order, into one deflated ZIP entry.
package::RawEntry AssembleEntry(std::string name, const std::vector<const CompressedRun*>& runs);

// A part of one head, any number of growing runs, and one tail; cached between saves.
class PieceEntry {
 public:
  PieceEntry(std::string name, std::size_t runCount) : name_(std::move(name)), runs_(runCount) {}
  void SetHead(std::string_view head);
  void SetTail(std::string_view tail);
  void Append(std::size_t run, std::string_view bytes);
  void Append(std::size_t run, const CompressedRun& bytes);
  bool HasContent() const;
  const package::RawEntry& Entry();  // rebuilt only after a change
  const std::string& name() const { return name_; }

 private:
  std::string name_;
  CompressedRun head_;
  std::vector<CompressedRun> runs_;
  CompressedRun tail_;
  package::RawEntry cached_;
  bool dirty_ = true;
};

}  // namespace plenwick::word::engine
