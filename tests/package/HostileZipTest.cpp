// Broken and hostile archives: each fails with a reason, none crashes, hangs or allocates what
// the file merely claims.
#include <gtest/gtest.h>

#include "tests/package/ZipBytes.h"
#include "word/package/Zip.h"

namespace plenwick::word::package {
namespace {

using testing::BuildZip;
using testing::ZipItem;

// Opens, then reads every entry; returns the first failure's message ("" when all went well).
std::string FirstFailure(std::string bytes, const ReadLimits& limits = {}) {
  Result<ZipReader> zip = ZipReader::FromBytes(std::move(bytes), limits);
  if (!zip) return zip.error().message;
  for (const std::string& name : zip->Names()) {
    if (Result<std::string> r = zip->Read(name); !r) return r.error().message;
    if (Result<RawEntry> r = zip->Raw(name); !r) return r.error().message;
  }
  return "";
}

TEST(HostileZip, TruncatedArchivesFailCleanlyAtEveryLength) {
  const std::string whole =
      BuildZip({{.name = "[Content_Types].xml", .content = "<Types/>"},
                {.name = "word/document.xml", .content = std::string(3000, 'd')}});
  for (std::size_t n = 4; n < whole.size(); ++n) {
    const std::string why = FirstFailure(whole.substr(0, n));
    EXPECT_TRUE(why.starts_with("damaged: ")) << n << ": " << why;
  }
  EXPECT_EQ(FirstFailure(whole.substr(0, 100)),
            "damaged: truncated archive (no central directory)");
}

TEST(HostileZip, CorruptDataIsReportedByEntryName) {
  std::string bad = testing::RawDeflate(std::string(4000, 'z'));
  bad[bad.size() / 2] ^= 0x55;
  EXPECT_EQ(
      FirstFailure(BuildZip({{.name = "word/document.xml", .content = "hello", .crc = 1234}})),
      "damaged: CRC mismatch in word/document.xml");
  const std::string why = FirstFailure(
      BuildZip({{.name = "word/document.xml", .content = std::string(4000, 'z'), .data = bad}}));
  EXPECT_TRUE(why.starts_with("damaged: ") && why.ends_with("word/document.xml")) << why;
  EXPECT_EQ(FirstFailure(BuildZip({{.name = "a.xml", .content = "abc", .data = "\xFF\xFF\xFF"}})),
            "damaged: corrupt data in a.xml");
  // Data that inflates to more than the directory declares.
  EXPECT_EQ(FirstFailure(BuildZip(
                {{.name = "a.xml", .content = std::string(1000, 'a'), .uncompressedSize = 10}})),
            "damaged: size mismatch in a.xml");
  EXPECT_EQ(FirstFailure(BuildZip(
                {{.name = "a.xml", .content = std::string(1000, 'a'), .uncompressedSize = 2000}})),
            "damaged: size mismatch in a.xml");
  const std::string text(5000, 't');
  EXPECT_EQ(
      FirstFailure(BuildZip(
          {{.name = "a.xml", .content = text, .data = testing::RawDeflate(text).substr(0, 5)}})),
      "damaged: truncated data in a.xml");
  EXPECT_EQ(FirstFailure(BuildZip(
                {{.name = "a.xml", .content = "abc", .method = 0, .uncompressedSize = 5}})),
            "damaged: size mismatch in a.xml");
}

TEST(HostileZip, EncryptionAndUnknownMethodsAreNamed) {
  EXPECT_EQ(FirstFailure(BuildZip({{.name = "a.xml", .content = "x", .flags = 1}})),
            "password-protected");
  EXPECT_EQ(FirstFailure(BuildZip({{.name = "a.xml", .content = "x", .method = 14, .data = "x"}})),
            "damaged: unsupported compression (LZMA) in a.xml");
}

TEST(HostileZip, NamesThatLeaveThePackageOrRepeatAreRefused) {
  for (const char* name : {"../evil.xml", "word/../../evil.xml", "/etc/passwd", "word\\doc.xml",
                           "C:/x.xml", "word//doc.xml", "./a.xml", "a\x01.xml"}) {
    EXPECT_EQ(FirstFailure(BuildZip({{.name = name, .content = "x"}})),
              "damaged: unsafe entry name \"" + std::string(name) + "\"");
  }
  EXPECT_EQ(FirstFailure(BuildZip({{.name = "word/document.xml", .content = "a"},
                                   {.name = "Word/Document.xml", .content = "b"}})),
            "damaged: duplicate entry Word/Document.xml");
}

TEST(HostileZip, BombsAreRefusedBeforeInflating) {
  ReadLimits limits;
  limits.maxEntrySize = 1 << 20;
  limits.maxTotalSize = 3 << 20;
  limits.maxEntryCount = 10;
  // A claimed size over the limit is refused without allocating it.
  EXPECT_EQ(
      FirstFailure(BuildZip({{.name = "a.xml", .content = "x", .uncompressedSize = 0xFFFFFFF0}}),
                   limits),
      "too large: a.xml inflates to 3.9 GB (limit 1 MB)");
  const std::string mb(1 << 20, '\0');
  EXPECT_EQ(FirstFailure(BuildZip({{.name = "1", .content = mb},
                                   {.name = "2", .content = mb},
                                   {.name = "3", .content = mb},
                                   {.name = "4", .content = mb}}),
                         limits),
            "too large: the package inflates to more than 3 MB");
  std::vector<ZipItem> many;
  for (int i = 0; i < 11; ++i) many.push_back({.name = std::to_string(i), .content = "x"});
  EXPECT_EQ(FirstFailure(BuildZip(many), limits), "too large: 11 entries (limit 10)");
  // 2 MiB of zeros deflate about a thousand times.
  EXPECT_EQ(
      FirstFailure(BuildZip({{.name = "z", .content = std::string(2 << 20, '\0')}})).substr(0, 22),
      "too large: z inflates ");
}

TEST(HostileZip, OverlappingAndOutOfRangeEntriesAreRefused) {
  // Two directory entries over the same local header: the classic overlapping bomb.
  std::vector<ZipItem> items = {{.name = "a.xml", .content = "aaaa"},
                                {.name = "b.xml", .content = "aaaa", .offset = 0}};
  EXPECT_EQ(FirstFailure(BuildZip(items)).substr(0, 29), "damaged: overlapping entries ");
  EXPECT_EQ(FirstFailure(BuildZip({{.name = "a.xml", .content = "x", .offset = 100000}})),
            "damaged: bad local header for a.xml");
  EXPECT_EQ(FirstFailure(BuildZip({{.name = "a.xml", .content = "x", .compressedSize = 100000}})),
            "damaged: truncated data for a.xml");
  // More entries claimed than the directory can hold.
  EXPECT_EQ(FirstFailure(BuildZip({{.name = "a.xml", .content = "x"}}, {.entryCount = 5000})),
            "damaged: truncated archive (central directory too short)");
}

TEST(HostileZip, FlippingAnyByteNeverCrashes) {
  const std::string whole =
      BuildZip({{.name = "[Content_Types].xml", .content = "<Types/>"},
                {.name = "word/document.xml", .content = std::string(300, 'd')}});
  for (std::size_t i = 0; i < whole.size(); ++i) {
    for (int flip : {0x01, 0x80, 0xFF}) {
      std::string bytes = whole;
      bytes[i] = static_cast<char>(bytes[i] ^ flip);
      (void)FirstFailure(bytes);  // any answer will do, as long as there is one
    }
  }
}

}  // namespace
}  // namespace plenwick::word::package
