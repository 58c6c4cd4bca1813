#include "word/package/ZipLayout.h"

#include "word/package/PackageErrors.h"
#include "word/package/ZipFormat.h"

namespace plenwick::word::package {

using namespace zipformat;

namespace {

constexpr std::uint16_t kVersion = 20;  // 2.0: deflate

std::uint16_t FlagsFor(const RawEntry& e) {
  for (char c : e.name) {
    if (static_cast<unsigned char>(c) >= 0x80) return kFlagUtf8;
  }
  return 0;
}

Error NeedsZip64() {
  return TooLarge("the document would need a package over 4 GB, which is not written");
}

}  // namespace

Status CheckFits(const RawEntry& e, std::uint64_t offset) {
  if (e.compressedSize >= kMax32 || e.uncompressedSize >= kMax32 || offset >= kMax32 ||
      e.name.size() > kMax16) {
    return NeedsZip64();
  }
  return Ok();
}

std::uint64_t LocalHeaderSize(const RawEntry& e) {
  return kLocalHeaderSize + e.name.size();
}

void AppendLocalHeader(std::string& out, const RawEntry& e) {
  Put32(out, kLocalHeaderSig);
  Put16(out, kVersion);
  Put16(out, FlagsFor(e));
  Put16(out, e.method);
  Put16(out, kDosTime);
  Put16(out, kDosDate);
  Put32(out, e.crc32);
  Put32(out, static_cast<std::uint32_t>(e.compressedSize));
  Put32(out, static_cast<std::uint32_t>(e.uncompressedSize));
  Put16(out, static_cast<std::uint16_t>(e.name.size()));
  Put16(out, 0);  // extra field
  out += e.name;
}

void AppendCentralHeader(std::string& out, const RawEntry& e, std::uint64_t offset) {
  Put32(out, kCentralHeaderSig);
  Put16(out, kVersion);  // made by: MS-DOS, 2.0
  Put16(out, kVersion);
  Put16(out, FlagsFor(e));
  Put16(out, e.method);
  Put16(out, kDosTime);
  Put16(out, kDosDate);
  Put32(out, e.crc32);
  Put32(out, static_cast<std::uint32_t>(e.compressedSize));
  Put32(out, static_cast<std::uint32_t>(e.uncompressedSize));
  Put16(out, static_cast<std::uint16_t>(e.name.size()));
  Put16(out, 0);  // extra field
  Put16(out, 0);  // comment
  Put16(out, 0);  // disk
  Put16(out, 0);  // internal attributes
  Put32(out, 0);  // external attributes
  Put32(out, static_cast<std::uint32_t>(offset));
  out += e.name;
}

Status AppendEndRecord(std::string& out, std::uint64_t entryCount, std::uint64_t cdSize,
                       std::uint64_t cdOffset) {
  if (entryCount >= kMax16 || cdSize >= kMax32 || cdOffset >= kMax32) return NeedsZip64();
  Put32(out, kEndSig);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<std::uint16_t>(entryCount));
  Put16(out, static_cast<std::uint16_t>(entryCount));
  Put32(out, static_cast<std::uint32_t>(cdSize));
  Put32(out, static_cast<std::uint32_t>(cdOffset));
  Put16(out, 0);
  return Ok();
}

}  // namespace plenwick::word::package
