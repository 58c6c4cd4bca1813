#include "word/engine/PieceEntry.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <stdexcept>

#include <zlib.h>

namespace plenwick::word::engine {

namespace {

// One compressor per thread, reset for each piece: setting one up allocates a few hundred KB,
// which each of the dozens of pieces a document adds would otherwise pay for (and fault in).
// A reset stream compresses exactly as a fresh one.
class Deflater {
 public:
  Deflater() = default;
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;
  ~Deflater() { Drop(); }

  z_stream* Ready() {
    if (ready_) {
      if (deflateReset(&zs_) == Z_OK) return &zs_;
      Drop();
    }
    zs_ = z_stream{};
    if (deflateInit2(&zs_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
      throw std::bad_alloc();
    }
    ready_ = true;
    return &zs_;
  }
  void Drop() {
    if (ready_) deflateEnd(&zs_);
    ready_ = false;
  }

 private:
  z_stream zs_{};
  bool ready_ = false;
};

}  // namespace

// A run's own compressor. A run's pieces mostly come one at a time between other runs' (a
// document adds one to the body, one to the styles, one to the relationships...), so the shared
// compressor was reset and primed with the run's last 8 KB for each piece: for a typical piece of
// a kilobyte or two, that cost four times the compressing. The run's own goes on where its last
// piece ended.
class CompressedRun::Stream {
 public:
  explicit Stream(std::string_view history) {
    if (deflateInit2(&zs_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
      throw std::bad_alloc();
    }
    if (!history.empty() &&
        deflateSetDictionary(&zs_, reinterpret_cast<const Bytef*>(history.data()),
                             static_cast<uInt>(history.size())) != Z_OK) {
      deflateEnd(&zs_);
      throw std::runtime_error("deflate failed");
    }
  }
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;
  ~Stream() { deflateEnd(&zs_); }
  z_stream& get() { return zs_; }

 private:
  z_stream zs_{};
};

void CompressedRun::DropStream::operator()(Stream* stream) const {
  delete stream;
}

CompressedRun::CompressedRun(const CompressedRun& other)
    : compressed_(other.compressed_),
      window_(other.window_),
      crc_(other.crc_),
      size_(other.size_),
      origin_(NewOrigin()) {}

CompressedRun& CompressedRun::operator=(const CompressedRun& other) {
  compressed_ = other.compressed_;
  window_ = other.window_;
  crc_ = other.crc_;
  size_ = other.size_;
  origin_ = NewOrigin();
  stream_.reset();
  return *this;
}

CompressedRun::~CompressedRun() = default;

void CompressedRun::Append(std::string_view bytes) {
  if (bytes.empty()) return;
  thread_local Deflater shared;
  z_stream* stream = nullptr;
  if (stream_) {
    stream = &stream_->get();
  } else if (size_ > 0) {
    stream_.reset(new Stream(window_));
    stream = &stream_->get();
  } else {
    // A run's first piece refers to nothing before it: the shared compressor does.
    stream = shared.Ready();
  }
  z_stream& zs = *stream;
  std::size_t start = compressed_.size();
  compressed_.resize(start + deflateBound(&zs, static_cast<uLong>(bytes.size())) + 16);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  zs.avail_in = static_cast<uInt>(bytes.size());
  zs.next_out = reinterpret_cast<Bytef*>(compressed_.data() + start);
  zs.avail_out = static_cast<uInt>(compressed_.size() - start);
  const uInt room = zs.avail_out;
  // A sync flush ends the piece on a byte boundary with no final block, so pieces concatenate.
  int rc = deflate(&zs, Z_SYNC_FLUSH);
  const std::size_t produced = room - zs.avail_out;
  if (rc != Z_OK || zs.avail_in != 0) {
    if (stream_) {
      stream_.reset();
    } else {
      shared.Drop();
    }
    compressed_.resize(start);
    throw std::runtime_error("deflate failed");
  }
  compressed_.resize(start + produced);
  uLong pieceCrc =
      crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
  crc_ =
      static_cast<std::uint32_t>(crc32_combine(crc_, pieceCrc, static_cast<z_off_t>(bytes.size())));
  size_ += bytes.size();
  Remember(bytes);
}

void CompressedRun::Remember(std::string_view bytes) {
  if (bytes.size() >= kWindow) {
    window_.assign(bytes.substr(bytes.size() - kWindow));
    return;
  }
  const std::size_t keep = std::min(window_.size(), kWindow - bytes.size());
  window_.erase(0, window_.size() - keep);
  window_ += bytes;
}

void CompressedRun::Append(const CompressedRun& other) {
  if (other.size_ == 0) return;
  // The other run's bytes come between what the stream saw and what it would write next.
  stream_.reset();
  compressed_ += other.compressed_;
  Remember(other.window_);
  crc_ = static_cast<std::uint32_t>(
      crc32_combine(crc_, other.crc_, static_cast<z_off_t>(other.size_)));
  size_ += other.size_;
}

std::uint64_t CompressedRun::NewOrigin() {
  static std::atomic<std::uint64_t> next{0};
  return ++next;
}

package::RawEntry Assembly::Build(std::string name, const std::vector<const CompressedRun*>& runs,
                                  std::size_t stableRuns) {
  std::vector<const CompressedRun*> parts;
  std::size_t stableParts = 0;  // how many of parts are stable runs
  std::size_t total = 2;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const CompressedRun* r = runs[i];
    if (r->size_ == 0) continue;
    parts.push_back(r);
    if (i < stableRuns) ++stableParts;
    total += r->compressed_.size();
  }
  const bool growsAtEnd = stableParts > 0;
  std::size_t kept = 0;     // bytes at the start of data_ that stay as they are
  std::size_t done = 0;     // parts wholly among them
  std::size_t partial = 0;  // bytes of parts[done] among them
  if (data_ && data_.use_count() == 1) {
    for (; done < parts.size() && done < taken_.size(); ++done) {
      const Taken& t = taken_[done];
      const CompressedRun& r = *parts[done];
      if (t.origin != r.origin_ || t.bytes > r.compressed_.size()) break;
      kept += t.bytes;
      if (t.bytes < r.compressed_.size()) {
        partial = t.bytes;
        break;
      }
    }
  } else {
    data_ = std::make_shared<std::string>();
  }
  // The bytes the last entry vouched for are still there: the lineage goes on.
  if (kept < prefix_ || lineage_ == 0) lineage_ = CompressedRun::NewOrigin();
  data_->resize(kept);
  data_->reserve(total);
  std::uint32_t crc = 0;
  std::uint64_t size = 0;
  std::size_t prefix = 0;
  taken_.clear();
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const CompressedRun& r = *parts[i];
    if (i > done) {
      *data_ += r.compressed_;
    } else if (i == done) {
      data_->append(r.compressed_, partial);
    }
    crc = static_cast<std::uint32_t>(crc32_combine(crc, r.crc_, static_cast<z_off_t>(r.size_)));
    size += r.size_;
    taken_.push_back({r.origin_, r.compressed_.size()});
    if (i < stableParts) prefix += r.compressed_.size();
  }
  // An empty final block closes the stream.
  data_->push_back(static_cast<char>(0x03));
  data_->push_back(static_cast<char>(0x00));
  package::RawEntry e;
  e.name = std::move(name);
  e.method = 8;
  e.crc32 = crc;
  e.uncompressedSize = size;
  e.compressedSize = data_->size();
  e.data = data_;
  prefix_ = growsAtEnd ? prefix : 0;
  if (growsAtEnd) {
    e.stablePrefix = prefix;
    e.prefixLineage = lineage_;
  }
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
    cached_.data.reset();  // so the assembly may reuse the bytes
    // One run is the prefix with the head. Of several (numbering's picture bullets, definitions
    // and instances), all but the last are: the last, a few bytes a document, is written again
    // with the tail at every save. Growth in an earlier run starts a new lineage.
    cached_ = assembly_.Build(name_, all, runs_.size() == 1 ? 2 : runs_.size());
    dirty_ = false;
  }
  return cached_;
}

}  // namespace plenwick::word::engine
