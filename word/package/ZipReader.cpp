// Reads ZIP packages written by others. Everything the central directory says is checked before
// it is believed: offsets and sizes against the file, entries against each other (no overlapping
// data, no duplicate names), names against escaping the package, sizes and ratios against the
// limits. Inflating never produces more than the size the directory declares.
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>
#include <unordered_map>

#include "platform/Utf8Path.h"
#include "word/package/Deflate.h"
#include "word/package/PackageErrors.h"
#include "word/package/PartNames.h"
#include "word/package/Sniff.h"
#include "word/package/Zip.h"
#include "word/package/ZipFormat.h"

namespace plenwick::word::package {

using namespace zipformat;

namespace {

struct Entry {
  std::string name;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t crc32 = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t uncompressedSize = 0;
  std::uint64_t headerOffset = 0;
  std::uint64_t dataOffset = 0;  // filled in once the local header is checked
};

struct EndRecord {
  std::uint64_t entryCount = 0;
  std::uint64_t cdSize = 0;
  std::uint64_t cdOffset = 0;
  std::uint64_t cdLimit = 0;  // where the central directory must end (the first end record)
};

std::string MethodName(std::uint16_t method) {
  switch (method) {
    case 9:
      return "Deflate64";
    case 12:
      return "BZIP2";
    case 14:
      return "LZMA";
    case 93:
      return "Zstandard";
    case 95:
      return "XZ";
    default:
      return "method " + std::to_string(method);
  }
}

// The end of central directory record is the last thing in the file, followed only by its
// comment; search backwards over the longest possible comment.
Result<EndRecord> FindEnd(std::string_view b) {
  if (b.size() < kEndSize) return Damaged("truncated archive");
  const std::size_t lowest =
      b.size() > kEndSize + kMaxCommentSize ? b.size() - kEndSize - kMaxCommentSize : 0;
  std::size_t at = b.size() - kEndSize;
  for (;;) {
    if (Get32(b, at) == kEndSig && at + kEndSize + Get16(b, at + 20) <= b.size()) break;
    if (at == lowest) return Damaged("truncated archive (no central directory)");
    --at;
  }
  if (Get16(b, at + 4) != 0 || Get16(b, at + 6) != 0) {
    return Unsupported("damaged: archives split over several files are not supported");
  }
  EndRecord end;
  end.entryCount = Get16(b, at + 10);
  end.cdSize = Get32(b, at + 12);
  end.cdOffset = Get32(b, at + 16);
  end.cdLimit = at;
  const bool needs64 = end.entryCount == kMax16 || end.cdSize == kMax32 || end.cdOffset == kMax32;
  if (at >= kZip64LocatorSize && Get32(b, at - kZip64LocatorSize) == kZip64LocatorSig) {
    const std::size_t loc = at - kZip64LocatorSize;
    const std::uint64_t end64 = Get64(b, loc + 8);
    if (end64 > loc || loc - end64 < kZip64EndSize ||
        Get32(b, static_cast<std::size_t>(end64)) != kZip64EndSig) {
      return Damaged("bad ZIP64 end record");
    }
    const std::size_t e = static_cast<std::size_t>(end64);
    end.entryCount = Get64(b, e + 32);
    end.cdSize = Get64(b, e + 40);
    end.cdOffset = Get64(b, e + 48);
    end.cdLimit = e;
  } else if (needs64) {
    return Damaged("truncated archive (ZIP64 end record missing)");
  }
  if (end.cdOffset > end.cdLimit || end.cdSize > end.cdLimit - end.cdOffset) {
    return Damaged("truncated archive (central directory out of range)");
  }
  return end;
}

// Sizes and offsets that do not fit in 32 bits live in the ZIP64 extra field, in this order,
// each present only when its 32-bit field holds the marker.
Status ReadZip64Extra(std::string_view extra, Entry& e, bool needUncompressed, bool needCompressed,
                      bool needOffset) {
  std::size_t at = 0;
  while (at + 4 <= extra.size()) {
    const std::uint16_t id = Get16(extra, at);
    const std::uint16_t size = Get16(extra, at + 2);
    if (at + 4 + size > extra.size()) break;
    if (id == kExtraZip64) {
      std::string_view field = extra.substr(at + 4, size);
      std::size_t p = 0;
      auto take = [&](std::uint64_t& v) {
        if (p + 8 > field.size()) return false;
        v = Get64(field, p);
        p += 8;
        return true;
      };
      if ((needUncompressed && !take(e.uncompressedSize)) ||
          (needCompressed && !take(e.compressedSize)) || (needOffset && !take(e.headerOffset))) {
        return Damaged("bad ZIP64 field for " + e.name);
      }
      return Ok();
    }
    at += 4 + size;
  }
  if (needUncompressed || needCompressed || needOffset) {
    return Damaged("missing ZIP64 field for " + e.name);
  }
  return Ok();
}

Status CheckLimits(const Entry& e, const ReadLimits& limits, std::uint64_t& total) {
  if (e.uncompressedSize > limits.maxEntrySize) {
    return TooLarge(e.name + " inflates to " + HumanSize(e.uncompressedSize) + " (limit " +
                    HumanSize(limits.maxEntrySize) + ")");
  }
  constexpr std::uint64_t kRatioFloor = 1ull << 20;
  if (e.uncompressedSize > kRatioFloor &&
      e.uncompressedSize / std::max<std::uint64_t>(e.compressedSize, 1) > limits.maxRatio) {
    return TooLarge(
        e.name + " inflates " +
        std::to_string(e.uncompressedSize / std::max<std::uint64_t>(e.compressedSize, 1)) +
        " times (limit " + std::to_string(limits.maxRatio) + ")");
  }
  total += e.uncompressedSize;
  if (total > limits.maxTotalSize) {
    return TooLarge("the package inflates to more than " + HumanSize(limits.maxTotalSize));
  }
  return Ok();
}

Result<std::vector<Entry>> ReadCentralDirectory(std::string_view b, const EndRecord& end,
                                                const ReadLimits& limits) {
  if (end.entryCount > limits.maxEntryCount) {
    return TooLarge(std::to_string(end.entryCount) + " entries (limit " +
                    std::to_string(limits.maxEntryCount) + ")");
  }
  if (end.entryCount > end.cdSize / kCentralHeaderSize) {
    return Damaged("truncated archive (central directory too short)");
  }
  std::vector<Entry> entries;
  entries.reserve(static_cast<std::size_t>(end.entryCount));
  std::size_t at = static_cast<std::size_t>(end.cdOffset);
  const std::size_t cdEnd = static_cast<std::size_t>(end.cdOffset + end.cdSize);
  std::uint64_t total = 0;
  for (std::uint64_t i = 0; i < end.entryCount; ++i) {
    if (cdEnd - at < kCentralHeaderSize || Get32(b, at) != kCentralHeaderSig) {
      return Damaged("corrupt central directory");
    }
    Entry e;
    e.flags = Get16(b, at + 8);
    e.method = Get16(b, at + 10);
    e.crc32 = Get32(b, at + 16);
    e.compressedSize = Get32(b, at + 20);
    e.uncompressedSize = Get32(b, at + 24);
    const std::size_t nameLen = Get16(b, at + 28);
    const std::size_t extraLen = Get16(b, at + 30);
    const std::size_t commentLen = Get16(b, at + 32);
    e.headerOffset = Get32(b, at + 42);
    if (cdEnd - at - kCentralHeaderSize < nameLen + extraLen + commentLen) {
      return Damaged("corrupt central directory");
    }
    e.name.assign(b.substr(at + kCentralHeaderSize, nameLen));
    const std::string_view extra = b.substr(at + kCentralHeaderSize + nameLen, extraLen);
    if (Status s = ReadZip64Extra(extra, e, e.uncompressedSize == kMax32,
                                  e.compressedSize == kMax32, e.headerOffset == kMax32);
        !s) {
      return s.error();
    }
    at += kCentralHeaderSize + nameLen + extraLen + commentLen;

    if (e.flags & (kFlagEncrypted | kFlagStrongEncryption | kFlagMaskedHeaders)) {
      return PasswordProtected();
    }
    if (e.method != kMethodStored && e.method != kMethodDeflated) {
      return Unsupported("damaged: unsupported compression (" + MethodName(e.method) + ") in " +
                         e.name);
    }
    if (e.method == kMethodStored && e.compressedSize != e.uncompressedSize) {
      return Damaged("size mismatch in " + e.name);
    }
    if (Status s = CheckLimits(e, limits, total); !s) return s.error();
    entries.push_back(std::move(e));
  }
  return entries;
}

// Checks each local header and that no two entries share bytes: overlapping entries are how
// the smallest ZIP bombs multiply one compressed block into many large files.
Status CheckLocalHeaders(std::string_view b, std::vector<Entry>& entries, std::uint64_t cdOffset) {
  std::vector<std::size_t> order(entries.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  for (Entry& e : entries) {
    if (e.headerOffset > cdOffset || cdOffset - e.headerOffset < kLocalHeaderSize ||
        Get32(b, static_cast<std::size_t>(e.headerOffset)) != kLocalHeaderSig) {
      return Damaged("bad local header for " + e.name);
    }
    const std::size_t h = static_cast<std::size_t>(e.headerOffset);
    if (Get16(b, h + 6) & kFlagEncrypted) return PasswordProtected();
    const std::uint64_t dataOffset =
        e.headerOffset + kLocalHeaderSize + Get16(b, h + 26) + Get16(b, h + 28);
    if (dataOffset > cdOffset || cdOffset - dataOffset < e.compressedSize) {
      return Damaged("truncated data for " + e.name);
    }
    e.dataOffset = dataOffset;
  }
  std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
    return entries[x].headerOffset < entries[y].headerOffset;
  });
  for (std::size_t i = 1; i < order.size(); ++i) {
    const Entry& prev = entries[order[i - 1]];
    const Entry& next = entries[order[i]];
    if (next.headerOffset < prev.dataOffset + prev.compressedSize) {
      return Damaged("overlapping entries " + prev.name + " and " + next.name);
    }
  }
  return Ok();
}

// Inflates data, handing the output to sink in chunks of at most `window` bytes; checks that it
// comes to exactly the declared size.
template <typename Sink>
Status InflateTo(const Entry& e, std::string_view data, std::size_t window, Sink&& sink) {
  std::string buf(std::min<std::size_t>(window, static_cast<std::size_t>(e.uncompressedSize) + 1),
                  '\0');
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return MakeError(errc::kGeneric, "out of memory");
  // zlib's counters are 32-bit; feed in slices so large entries stay correct.
  constexpr std::size_t kSlice = 1u << 30;
  std::size_t inPos = 0;
  std::uint64_t total = 0;
  Status result = Ok();
  for (;;) {
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + inPos));
    z.avail_in = static_cast<uInt>(std::min(data.size() - inPos, kSlice));
    z.next_out = reinterpret_cast<Bytef*>(buf.data());
    z.avail_out = static_cast<uInt>(buf.size());
    const uInt inBefore = z.avail_in;
    const int rc = inflate(&z, Z_NO_FLUSH);
    inPos += inBefore - z.avail_in;
    const std::size_t produced = buf.size() - z.avail_out;
    total += produced;
    // Never more than declared: a lying directory does not get to make us inflate a bomb.
    if (total > e.uncompressedSize) {
      result = Damaged("size mismatch in " + e.name);
      break;
    }
    sink(std::string_view(buf.data(), produced));
    if (rc == Z_STREAM_END) {
      if (total != e.uncompressedSize) result = Damaged("size mismatch in " + e.name);
      break;
    }
    if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT) {
      result = Damaged("corrupt data in " + e.name);
      break;
    }
    if (rc == Z_MEM_ERROR) {
      result = MakeError(errc::kGeneric, "out of memory");
      break;
    }
    if (rc == Z_BUF_ERROR && produced == 0 && inBefore == z.avail_in) {
      result = Damaged("truncated data in " + e.name);
      break;
    }
  }
  inflateEnd(&z);
  return result;
}

Result<std::string> Inflate(const Entry& e, std::string_view data) {
  std::string out;
  // Reserve what the data may really hold, not what the directory claims. Parts like the styles
  // often inflate to twenty times their size, and growing the string there copies them again
  // and again; up to 1 MiB is only address space until it is written.
  out.reserve(std::min(static_cast<std::size_t>(e.uncompressedSize),
                       std::max<std::size_t>(1024 * 1024, data.size() * 8)));
  Status s = InflateTo(e, data, 256 * 1024, [&](std::string_view chunk) { out += chunk; });
  if (!s) return s.error();
  return out;
}

// Inflates only to check the CRC, in a small window.
Status Verify(const Entry& e, std::string_view data,
              const std::function<void(std::string_view)>& seen) {
  std::uint32_t crc = 0;
  if (e.method == kMethodStored) {
    crc = Crc32(data);
    if (seen) seen(data);
  } else {
    Status s = InflateTo(e, data, 64 * 1024, [&](std::string_view chunk) {
      crc = Crc32(chunk, crc);
      if (seen) seen(chunk);
    });
    if (!s) return s;
  }
  if (crc != e.crc32) return Damaged("CRC mismatch in " + e.name);
  return Ok();
}

Status CheckContainer(std::string_view bytes) {
  switch (Sniff(bytes)) {
    case Container::kZip:
      return Ok();
    case Container::kEncryptedOle:
      return PasswordProtected();
    case Container::kOle:
      return Unsupported("Word 97-2003 format is not supported yet");
    case Container::kRtf:
      return Unsupported("RTF format is not supported yet");
    case Container::kEmpty:
      return MakeError(pkgc::kNotWordDocument, "not a Word document (empty file)");
    case Container::kUnknown:
      break;
  }
  return NotWordDocument();
}

}  // namespace

struct ZipReader::Impl {
  std::string bytes;
  std::vector<Entry> entries;
  std::vector<std::string> names;
  std::unordered_map<std::string, std::size_t> byFoldedName;

  const Entry* Find(std::string_view name) const {
    auto it = byFoldedName.find(FoldCase(name));
    return it == byFoldedName.end() ? nullptr : &entries[it->second];
  }
};

ZipReader::ZipReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ZipReader::ZipReader(ZipReader&&) noexcept = default;
ZipReader& ZipReader::operator=(ZipReader&&) noexcept = default;
ZipReader::~ZipReader() = default;

Result<ZipReader> ZipReader::Open(const std::string& path, const ReadLimits& limits) {
  const std::filesystem::path fsPath = platform::PathFromUtf8(path);
  std::error_code ec;
  const std::filesystem::file_status st = std::filesystem::status(fsPath, ec);
  if (ec || !std::filesystem::exists(st)) {
    return MakeError(pkgc::kReadFailed, "cannot read " + path + ": file not found");
  }
  if (std::filesystem::is_directory(st)) {
    return MakeError(pkgc::kReadFailed, "cannot read " + path + ": it is a folder");
  }
  // A pipe or device would block or never end.
  if (!std::filesystem::is_regular_file(st)) {
    return MakeError(pkgc::kReadFailed, "cannot read " + path + ": not a regular file");
  }
  std::ifstream in(fsPath, std::ios::binary);
  if (!in) return MakeError(pkgc::kReadFailed, "cannot read " + path);
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) return MakeError(pkgc::kReadFailed, "cannot read " + path);
  if (static_cast<std::uint64_t>(size) > limits.maxFileSize) {
    return TooLarge("the file is " + HumanSize(static_cast<std::uint64_t>(size)) + " (limit " +
                    HumanSize(limits.maxFileSize) + ")");
  }
  // A 32-bit program cannot hold what a 64-bit one can.
  if (static_cast<std::uint64_t>(size) >
      static_cast<std::uint64_t>(std::numeric_limits<std::streamsize>::max())) {
    return TooLarge("the file is " + HumanSize(static_cast<std::uint64_t>(size)) +
                    ", more than this program can hold");
  }
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.seekg(0);
  if (!in.read(bytes.data(), static_cast<std::streamsize>(size)))
    return MakeError(pkgc::kReadFailed, "cannot read " + path);
  return FromBytes(std::move(bytes), limits);
}

Result<ZipReader> ZipReader::FromBytes(std::string bytes, const ReadLimits& limits) {
  if (bytes.size() > limits.maxFileSize) {
    return TooLarge("the file is " + HumanSize(bytes.size()) + " (limit " +
                    HumanSize(limits.maxFileSize) + ")");
  }
  if (Status s = CheckContainer(bytes); !s) return s.error();
  auto impl = std::make_unique<Impl>();
  impl->bytes = std::move(bytes);
  const std::string_view b = impl->bytes;
  Result<EndRecord> end = FindEnd(b);
  if (!end) return end.error();
  Result<std::vector<Entry>> entries = ReadCentralDirectory(b, *end, limits);
  if (!entries) return entries.error();
  if (Status s = CheckLocalHeaders(b, *entries, end->cdOffset); !s) return s.error();

  for (Entry& e : *entries) {
    // Folders carry nothing in a package; some tools store them anyway.
    if (e.name.ends_with('/') && e.uncompressedSize == 0) continue;
    if (!IsSafeZipName(e.name)) return Damaged("unsafe entry name \"" + e.name + "\"");
    std::string folded = FoldCase(e.name);
    if (!impl->byFoldedName.emplace(std::move(folded), impl->entries.size()).second) {
      return Damaged("duplicate entry " + e.name);
    }
    impl->names.push_back(e.name);
    impl->entries.push_back(std::move(e));
  }
  return ZipReader(std::move(impl));
}

const std::vector<std::string>& ZipReader::Names() const {
  return impl_->names;
}

bool ZipReader::Has(std::string_view name) const {
  return impl_->Find(name) != nullptr;
}

Result<std::string> ZipReader::Read(std::string_view name) const {
  const Entry* e = impl_->Find(name);
  if (!e) return MakeError(errc::kNotFound, "missing part " + std::string(name));
  const std::string_view data = std::string_view(impl_->bytes)
                                    .substr(static_cast<std::size_t>(e->dataOffset),
                                            static_cast<std::size_t>(e->compressedSize));
  Result<std::string> out =
      e->method == kMethodStored ? Result<std::string>(std::string(data)) : Inflate(*e, data);
  if (!out) return out;
  if (Crc32(*out) != e->crc32) return Damaged("CRC mismatch in " + e->name);
  return out;
}

Result<RawEntry> ZipReader::Raw(std::string_view name,
                                const std::function<void(std::string_view)>& seen) const {
  const Entry* e = impl_->Find(name);
  if (!e) return MakeError(errc::kNotFound, "missing part " + std::string(name));
  // Copied bytes are checked like read ones: a damaged entry must not slip into a new package.
  const std::string_view data = std::string_view(impl_->bytes)
                                    .substr(static_cast<std::size_t>(e->dataOffset),
                                            static_cast<std::size_t>(e->compressedSize));
  if (Status s = Verify(*e, data, seen); !s) return s.error();
  RawEntry raw;
  raw.name = e->name;
  raw.method = e->method;
  raw.crc32 = e->crc32;
  raw.compressedSize = e->compressedSize;
  raw.uncompressedSize = e->uncompressedSize;
  raw.data =
      std::make_shared<const std::string>(std::string_view(impl_->bytes)
                                              .substr(static_cast<std::size_t>(e->dataOffset),
                                                      static_cast<std::size_t>(e->compressedSize)));
  return raw;
}

Result<ZipReader::Stored> ZipReader::StoredBytes(std::string_view name) const {
  const Entry* e = impl_->Find(name);
  if (!e) return MakeError(errc::kNotFound, "missing part " + std::string(name));
  return Stored{e->method, e->crc32, e->uncompressedSize,
                std::string_view(impl_->bytes)
                    .substr(static_cast<std::size_t>(e->dataOffset),
                            static_cast<std::size_t>(e->compressedSize))};
}

}  // namespace plenwick::word::package
