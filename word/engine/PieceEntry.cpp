#include "word/engine/PieceEntry.h"

#include <memory>
#include <stdexcept>

#include <zlib.h>

namespace plenwick::word::engine {

void CompressedRun::Append(std::string_view bytes) {
  if (bytes.empty()) return;
  z_stream zs{};
  if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::bad_alloc();
  }
  std::size_t start = compressed_.size();
  compressed_.resize(start + deflateBound(&zs, static_cast<uLong>(bytes.size())) + 16);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  zs.avail_in = static_cast<uInt>(bytes.size());
  zs.next_out = reinterpret_cast<Bytef*>(compressed_.data() + start);
  zs.avail_out = static_cast<uInt>(compressed_.size() - start);
  // A sync flush ends the piece on a byte boundary with no final block, so pieces concatenate.
  int rc = deflate(&zs, Z_SYNC_FLUSH);
  std::size_t produced = zs.total_out;
  deflateEnd(&zs);
  if (rc != Z_OK || zs.avail_in != 0) throw std::runtime_error("deflate failed");
  compressed_.resize(start + produced);
  uLong pieceCrc =
      crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
  crc_ =
      static_cast<std::uint32_t>(crc32_combine(crc_, pieceCrc, static_cast<z_off_t>(bytes.size())));
  size_ += bytes.size();
}

void CompressedRun::Append(const CompressedRun& other) {
  if (other.size_ == 0) return;
  compressed_ += other.compressed_;
  crc_ = static_cast<std::uint32_t>(
      crc32_combine(crc_, other.crc_, static_cast<z_off_t>(other.size_)));
  size_ += other.size_;
}

package::RawEntry AssembleEntry(std::string name, const std::vector<const CompressedRun*>& runs) {
  auto data = std::make_shared<std::string>();
  std::size_t total = 2;
  for (const CompressedRun* r : runs) total += r->compressed_.size();
  data->reserve(total);
  std::uint32_t crc = 0;
  std::uint64_t size = 0;
  for (const CompressedRun* r : runs) {
    if (r->size_ == 0) continue;
    *data += r->compressed_;
    crc = static_cast<std::uint32_t>(crc32_combine(crc, r->crc_, static_cast<z_off_t>(r->size_)));
    size += r->size_;
  }
  // An empty final block closes the stream.
  data->push_back(static_cast<char>(0x03));
  data->push_back(static_cast<char>(0x00));
  package::RawEntry e;
  e.name = std::move(name);
  e.method = 8;
  e.crc32 = crc;
  e.uncompressedSize = size;
  e.compressedSize = data->size();
  e.data = std::move(data);
  return e;
}

void PieceEntry::SetHead(std::string_view head) {
  head_ = CompressedRun();
  head_.Append(head);
  dirty_ = true;
}

void PieceEntry::SetTail(std::string_view tail) {
  tail_ = CompressedRun();
  tail_.Append(tail);
  dirty_ = true;
}

void PieceEntry::Append(std::size_t run, std::string_view bytes) {
  if (bytes.empty()) return;
  runs_.at(run).Append(bytes);
  dirty_ = true;
}

void PieceEntry::Append(std::size_t run, const CompressedRun& bytes) {
  if (bytes.empty()) return;
  runs_.at(run).Append(bytes);
  dirty_ = true;
}

bool PieceEntry::HasContent() const {
  for (const auto& r : runs_) {
    if (!r.empty()) return true;
  }
  return false;
}

const package::RawEntry& PieceEntry::Entry() {
  if (dirty_) {
    std::vector<const CompressedRun*> all;
    all.push_back(&head_);
    for (const auto& r : runs_) all.push_back(&r);
    all.push_back(&tail_);
    cached_ = AssembleEntry(name_, all);
    dirty_ = false;
  }
  return cached_;
}

}  // namespace plenwick::word::engine
