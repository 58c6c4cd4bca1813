// Parts that only ever grow by whole elements (footnotes, styles, relationships, content types)
// kept as runs of independently compressed pieces, so each save assembles them without
// compressing anything twice. A part may have several runs that grow independently (numbering
// keeps its abstract definitions before its instances) and are joined in a fixed order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "word/package/Zip.h"

namespace plenwick::word::engine {

// A raw deflate stream without its final block, ending on a byte boundary. A run only grows at
// its end; a run started afresh (constructed, or assigned from another) has a new origin, so
// whoever saw its first bytes under one origin knows they are still its first bytes.
// Each piece may refer back into what the run holds before it (never further back than the
// run's own start, nor than deflate's 32 KB), so the many small pieces of a long join compress as
// one text: alone, a document's few list definitions or relationships shrank by a third; told
// what came before, by nine tenths.
class CompressedRun {
 public:
  CompressedRun() : origin_(NewOrigin()) {}
  CompressedRun(const CompressedRun& other);
  CompressedRun& operator=(const CompressedRun& other);
  ~CompressedRun();
  void Append(std::string_view bytes);
  void Append(const CompressedRun& other);
  bool empty() const { return size_ == 0; }
  std::uint64_t size() const { return size_; }

 private:
  friend class Assembly;
  static std::uint64_t NewOrigin();
  void Remember(std::string_view bytes);
  static constexpr std::size_t kWindow = 8192;
  class Stream;
  struct DropStream {
    void operator()(Stream* stream) const;
  };
  std::string compressed_;
  std::string window_;  // the last bytes appended: the next piece may refer back to them
  std::uint32_t crc_ = 0;
  std::uint64_t size_ = 0;
  std::uint64_t origin_;
  // The run's own compressor, from its second piece on (a copy starts without one).
  std::unique_ptr<Stream, DropStream> stream_;
};

// Joins runs, in order, into one deflated ZIP entry, again and again as they grow. The bytes of
// the last entry it built are reused when nobody else holds them any more (the save that wrote
// them is over): what the runs had then is kept and only what they gained since is copied, so
// a save costs what was appended, not the whole part.
//
// A part whose first `stableRuns` runs change only by the last of them growing at its end has
// those runs as its stable prefix, vouched for by a lineage that lasts while the bytes of the
// last prefix stay, so a save writes only what is new of them and the runs after them (rebuilt
// or small) whole. With no stable runs the part is written whole at every save.
class Assembly {
 public:
  package::RawEntry Build(std::string name, const std::vector<const CompressedRun*>& runs,
                          std::size_t stableRuns = 0);

 private:
  struct Taken {
    std::uint64_t origin;
    std::size_t bytes;
  };
  std::shared_ptr<std::string> data_;
  std::vector<Taken> taken_;  // the non-empty runs in data_, in order
  std::uint64_t lineage_ = 0;
  std::size_t prefix_ = 0;  // the stable prefix of the last entry built
};

// A part of one head, any number of growing runs, and one tail; cached between saves.
class PieceEntry {
 public:
  // A part of one run grows only at its end (before its tail).
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
  Assembly assembly_;
  package::RawEntry cached_;
  bool dirty_ = true;
};

}  // namespace plenwick::word::engine
