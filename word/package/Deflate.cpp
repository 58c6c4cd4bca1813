#include "word/package/Deflate.h"

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <new>

#include "word/package/PackageErrors.h"
#include "word/package/Zip.h"

namespace plenwick::word::package {
namespace {
constexpr std::size_t kSlice = 1u << 30;
}

std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc) {
  uLong c = crc;
  for (std::size_t at = 0; at < bytes.size(); at += kSlice) {
    const std::size_t n = std::min(kSlice, bytes.size() - at);
    c = crc32(c, reinterpret_cast<const Bytef*>(bytes.data() + at), static_cast<uInt>(n));
  }
  return static_cast<std::uint32_t>(c);
}

namespace {

// A deflate state is a quarter of a megabyte that zlib clears on every init; the main document
// is compressed in many small pieces, so each thread keeps one state per level and resets it.
class DeflateState {
 public:
  explicit DeflateState(int level) : level_(level) {
    if (deflateInit2(&z_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
      throw std::bad_alloc();
    }
  }
  ~DeflateState() { deflateEnd(&z_); }
  DeflateState(const DeflateState&) = delete;
  DeflateState& operator=(const DeflateState&) = delete;

  z_stream& Fresh() {
    deflateReset(&z_);
    return z_;
  }
  int level() const { return level_; }

 private:
  z_stream z_{};
  int level_;
};

z_stream& FreshStream(int level) {
  thread_local std::unique_ptr<DeflateState> state;
  if (!state || state->level() != level) state = std::make_unique<DeflateState>(level);
  return state->Fresh();
}

}  // namespace

std::string DeflatePiece(std::string_view bytes, bool finish, int level) {
  z_stream& z = FreshStream(level);
  std::string out;
  out.resize(deflateBound(&z, static_cast<uLong>(std::min(bytes.size(), kSlice))) + 16);
  std::size_t inPos = 0;
  std::size_t outPos = 0;
  for (;;) {
    const std::size_t inLeft = bytes.size() - inPos;
    const bool last = inLeft <= kSlice;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + inPos));
    z.avail_in = static_cast<uInt>(std::min(inLeft, kSlice));
    const int flush = last ? (finish ? Z_FINISH : Z_SYNC_FLUSH) : Z_NO_FLUSH;
    int rc = Z_OK;
    do {
      if (out.size() - outPos < 64) out.resize(out.size() * 2 + 64);
      z.next_out = reinterpret_cast<Bytef*>(out.data() + outPos);
      z.avail_out = static_cast<uInt>(std::min(out.size() - outPos, kSlice));
      const uInt before = z.avail_out;
      rc = deflate(&z, flush);
      outPos += before - z.avail_out;
      // Done when deflate has taken all input and had room to spare for its flush.
    } while (flush == Z_FINISH ? rc != Z_STREAM_END : (z.avail_in != 0 || z.avail_out == 0));
    inPos += std::min(inLeft, kSlice);
    if (last) break;
  }
  out.resize(outPos);
  return out;
}

RawEntry MakeEntry(std::string name, std::string_view bytes) {
  RawEntry e;
  e.name = std::move(name);
  e.crc32 = Crc32(bytes);
  e.uncompressedSize = bytes.size();
  std::string deflated = DeflatePiece(bytes, /*finish=*/true, kDeflateLevel);
  if (deflated.size() < bytes.size()) {
    e.method = 8;
    e.compressedSize = deflated.size();
    e.data = std::make_shared<const std::string>(std::move(deflated));
  } else {
    e.method = 0;
    e.compressedSize = bytes.size();
    e.data = std::make_shared<const std::string>(bytes);
  }
  return e;
}

std::string HumanSize(std::uint64_t bytes) {
  constexpr std::uint64_t kKiB = 1024;
  auto scaled = [](std::uint64_t v, std::uint64_t unit, const char* suffix) {
    const std::uint64_t tenths = v * 10 / unit;
    std::string s = std::to_string(tenths / 10);
    if (tenths % 10 != 0 && tenths < 100) s += "." + std::to_string(tenths % 10);
    return s + " " + suffix;
  };
  if (bytes >= kKiB * kKiB * kKiB) return scaled(bytes, kKiB * kKiB * kKiB, "GB");
  if (bytes >= kKiB * kKiB) return scaled(bytes, kKiB * kKiB, "MB");
  if (bytes >= kKiB) return scaled(bytes, kKiB, "KB");
  return std::to_string(bytes) + " bytes";
}

}  // namespace plenwick::word::package
