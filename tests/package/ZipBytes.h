// Builds ZIP archives byte by byte for the tests, independently of the writer under test, with
// every field open to corruption.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plenwick::word::package::testing {

struct ZipItem {
  std::string name;
  std::string content;  // uncompressed
  std::uint16_t method = 8;
  std::uint16_t flags = 0;
  // Overrides of what the builder would write.
  std::optional<std::string> data;  // the stored bytes
  std::optional<std::uint32_t> crc;
  std::optional<std::uint32_t> compressedSize;
  std::optional<std::uint32_t> uncompressedSize;
  std::optional<std::uint32_t> offset;  // central directory's local header offset
};

inline void Put16(std::string& o, std::uint32_t v) {
  o.push_back(static_cast<char>(v & 0xFF));
  o.push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline void Put32(std::string& o, std::uint32_t v) {
  Put16(o, v & 0xFFFF);
  Put16(o, v >> 16);
}
inline void Put64(std::string& o, std::uint64_t v) {
  Put32(o, static_cast<std::uint32_t>(v));
  Put32(o, static_cast<std::uint32_t>(v >> 32));
}

inline std::string RawDeflate(const std::string& in) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, static_cast<uLong>(in.size())) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

inline std::uint32_t Crc(const std::string& s) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())));
}

struct ZipOptions {
  bool zip64 = false;  // write the ZIP64 end records (and 0xFFFF markers in the classic one)
  std::optional<std::uint16_t> entryCount;
};

inline std::string BuildZip(const std::vector<ZipItem>& items, const ZipOptions& opt = {}) {
  std::string out;
  std::string cd;
  for (const ZipItem& it : items) {
    const std::string data = it.data          ? *it.data
                             : it.method == 8 ? RawDeflate(it.content)
                                              : it.content;
    const std::uint32_t crc = it.crc ? *it.crc : Crc(it.content);
    const std::uint32_t csize =
        it.compressedSize ? *it.compressedSize : static_cast<std::uint32_t>(data.size());
    const std::uint32_t usize =
        it.uncompressedSize ? *it.uncompressedSize : static_cast<std::uint32_t>(it.content.size());
    const auto offset = static_cast<std::uint32_t>(out.size());
    Put32(out, 0x04034b50);
    Put16(out, 20);
    Put16(out, it.flags);
    Put16(out, it.method);
    Put32(out, 0);
    Put32(out, crc);
    Put32(out, csize);
    Put32(out, usize);
    Put16(out, static_cast<std::uint32_t>(it.name.size()));
    Put16(out, 0);
    out += it.name;
    out += data;

    Put32(cd, 0x02014b50);
    Put16(cd, 20);
    Put16(cd, 20);
    Put16(cd, it.flags);
    Put16(cd, it.method);
    Put32(cd, 0);
    Put32(cd, crc);
    Put32(cd, csize);
    Put32(cd, usize);
    Put16(cd, static_cast<std::uint32_t>(it.name.size()));
    Put16(cd, 0);
    Put16(cd, 0);
    Put16(cd, 0);
    Put16(cd, 0);
    Put32(cd, 0);
    Put32(cd, it.offset ? *it.offset : offset);
    cd += it.name;
  }
  const auto cdOffset = static_cast<std::uint32_t>(out.size());
  out += cd;
  const std::uint16_t count =
      opt.entryCount ? *opt.entryCount : static_cast<std::uint16_t>(items.size());
  if (opt.zip64) {
    const auto end64 = static_cast<std::uint64_t>(out.size());
    Put32(out, 0x06064b50);
    Put64(out, 44);
    Put16(out, 45);
    Put16(out, 45);
    Put32(out, 0);
    Put32(out, 0);
    Put64(out, count);
    Put64(out, count);
    Put64(out, cd.size());
    Put64(out, cdOffset);
    Put32(out, 0x07064b50);
    Put32(out, 0);
    Put64(out, end64);
    Put32(out, 1);
  }
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, opt.zip64 ? 0xFFFF : count);
  Put16(out, opt.zip64 ? 0xFFFF : count);
  Put32(out, opt.zip64 ? 0xFFFFFFFF : static_cast<std::uint32_t>(cd.size()));
  Put32(out, opt.zip64 ? 0xFFFFFFFF : cdOffset);
  Put16(out, 0);
  return out;
}

}  // namespace plenwick::word::package::testing
