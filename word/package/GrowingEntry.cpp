#include <zlib.h>

#include "word/package/Deflate.h"
#include "word/package/Zip.h"

namespace plenwick::word::package {

GrowingEntry::GrowingEntry(std::string name) : name_(std::move(name)) {}

void GrowingEntry::Append(std::string_view bytes) {
  if (bytes.empty()) return;
  // A fresh stream per piece: nothing from earlier pieces is needed to compress this one, so the
  // pieces can simply be laid one after the other.
  compressed_ += DeflatePiece(bytes, /*finish=*/false, kDeflateLevel);
  crc_ = Crc32(bytes, crc_);
  size_ += bytes.size();
}

RawEntry GrowingEntry::Finish(std::string_view tail) const {
  const std::string last = DeflatePiece(tail, /*finish=*/true, kDeflateLevel);
  RawEntry e;
  e.name = name_;
  e.method = 8;
  e.crc32 = static_cast<std::uint32_t>(
      crc32_combine(crc_, Crc32(tail), static_cast<z_off_t>(tail.size())));
  e.uncompressedSize = size_ + tail.size();
  std::string data;
  data.reserve(compressed_.size() + last.size());
  data += compressed_;
  data += last;
  e.compressedSize = data.size();
  e.stablePrefix = compressed_.size();
  e.data = std::make_shared<const std::string>(std::move(data));
  return e;
}

std::uint64_t GrowingEntry::UncompressedSize() const {
  return size_;
}

}  // namespace plenwick::word::package
