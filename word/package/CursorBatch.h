// Gathers what a save writes at its cursor into batches. A save writes its entries as thousands
// of small pieces (a header, then an entry); a system call for each costs more than copying
// them, and under wine each costs a round trip to its server besides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace plenwick::word::package {

class CursorBatch {
 public:
  // Puts bytes at the cursor, which moves on; writeAt(offset, bytes) writes a batch once it is
  // full, and a piece as large as a batch at once.
  template <class WriteAt>
  bool Put(std::string_view bytes, WriteAt&& writeAt) {
    if (pending_.size() + bytes.size() > kBatch && !Drain(writeAt)) return false;
    if (bytes.size() >= kBatch) {
      if (!writeAt(cursor_, bytes)) return false;
    } else {
      pending_.append(bytes);
    }
    cursor_ += bytes.size();
    return true;
  }
  // Writes what is gathered.
  template <class WriteAt>
  bool Drain(WriteAt&& writeAt) {
    if (pending_.empty()) return true;
    const bool written = writeAt(cursor_ - pending_.size(), std::string_view(pending_));
    pending_.clear();
    return written;
  }
  // Where the next piece goes; only once drained.
  void MoveTo(std::uint64_t offset) { cursor_ = offset; }
  std::uint64_t cursor() const { return cursor_; }
  // The batch's memory, kept by the writer from one save to the next: under wine a freed block
  // of this size goes back to the system, and every save would fault its pages in again.
  void UseBuffer(std::string buffer) {
    buffer.clear();
    pending_ = std::move(buffer);
  }
  std::string TakeBuffer() { return std::move(pending_); }

 private:
  static constexpr std::size_t kBatch = std::size_t{1} << 20;

  std::uint64_t cursor_ = 0;
  std::string pending_;
};

}  // namespace plenwick::word::package
