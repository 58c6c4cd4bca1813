// Reading well-formed packages: entry order, case-insensitive names, raw copies, other
// containers told apart by content.
#include <gtest/gtest.h>

#include "tests/package/ZipBytes.h"
#include "word/package/Zip.h"

namespace plenwick::word::package {
namespace {

using testing::BuildZip;
using testing::ZipItem;

TEST(ZipReader, ReadsEntriesInDirectoryOrderWithCaseInsensitiveNames) {
  const std::string big(100000, 'x');
  Result<ZipReader> zip = ZipReader::FromBytes(BuildZip({
      {.name = "[Content_Types].xml", .content = "<Types/>"},
      {.name = "word/document.xml", .content = big},
      {.name = "word/media/", .content = "", .method = 0},  // a folder entry, ignored
      {.name = "word/media/image1.png", .content = "PNG", .method = 0},
  }));
  ASSERT_TRUE(zip) << zip.error().message;
  EXPECT_EQ(zip->Names(), (std::vector<std::string>{"[Content_Types].xml", "word/document.xml",
                                                    "word/media/image1.png"}));
  EXPECT_TRUE(zip->Has("WORD/Document.XML"));
  EXPECT_FALSE(zip->Has("word/styles.xml"));
  EXPECT_EQ(*zip->Read("Word/document.xml"), big);
  EXPECT_EQ(*zip->Read("word/media/image1.png"), "PNG");
  const Result<std::string> missing = zip->Read("word/styles.xml");
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.error().message.find("word/styles.xml"), std::string::npos);
}

TEST(ZipReader, RawEntryKeepsTheStoredBytesAndCopiesIntoANewPackage) {
  const std::string text(5000, 'a');
  Result<ZipReader> zip = ZipReader::FromBytes(BuildZip({{.name = "a.xml", .content = text}}));
  ASSERT_TRUE(zip);
  Result<RawEntry> raw = zip->Raw("A.xml");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->name, "a.xml");
  EXPECT_EQ(raw->method, 8);
  EXPECT_EQ(raw->uncompressedSize, text.size());
  EXPECT_EQ(raw->data->size(), raw->compressedSize);
  EXPECT_EQ(*raw->data, testing::RawDeflate(text));
}

TEST(ZipReader, MakeEntryDeflatesOrStoresWhicheverIsSmaller) {
  const RawEntry text = MakeEntry("t.xml", std::string(10000, 'q'));
  EXPECT_EQ(text.method, 8);
  EXPECT_LT(text.compressedSize, 200u);
  const RawEntry tiny = MakeEntry("t.bin", "ab");
  EXPECT_EQ(tiny.method, 0);
  EXPECT_EQ(*tiny.data, "ab");
  EXPECT_EQ(tiny.crc32, testing::Crc("ab"));
  const RawEntry empty = MakeEntry("e", "");
  EXPECT_EQ(empty.method, 0);
  EXPECT_EQ(empty.compressedSize, 0u);
}

TEST(ZipReader, ReadsZip64EndRecords) {
  Result<ZipReader> zip =
      ZipReader::FromBytes(BuildZip({{.name = "a.xml", .content = "hello"}}, {.zip64 = true}));
  ASSERT_TRUE(zip) << zip.error().message;
  EXPECT_EQ(*zip->Read("a.xml"), "hello");
}

TEST(ZipReader, TellsOtherContainersApartByContent) {
  struct Case {
    std::string bytes;
    int code;
    std::string reason;
  };
  std::string ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  ole.resize(2048, '\0');
  std::string encrypted = ole;
  for (char c : std::string("EncryptedPackage")) encrypted += {c, '\0'};
  const std::vector<Case> cases = {
      {"", 1001, "not a Word document (empty file)"},
      {"Just some text, not a document at all.", 1001, "not a Word document"},
      {encrypted, 1002, "password-protected"},
      {ole, 1004, "Word 97-2003 format is not supported yet"},
      {"{\\rtf1\\ansi hello}", 1004, "RTF format is not supported yet"},
  };
  for (const Case& c : cases) {
    Result<ZipReader> zip = ZipReader::FromBytes(c.bytes);
    ASSERT_FALSE(zip);
    EXPECT_EQ(zip.error().code, c.code);
    EXPECT_EQ(zip.error().message, c.reason);
  }
}

TEST(ZipReader, OpenReportsMissingFilesAndFoldersByPath) {
  Result<ZipReader> missing = ZipReader::Open("/nonexistent/x.docx");
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().code, 1005);
  EXPECT_NE(missing.error().message.find("/nonexistent/x.docx"), std::string::npos);
  Result<ZipReader> folder = ZipReader::Open("/tmp");
  ASSERT_FALSE(folder);
  EXPECT_EQ(folder.error().code, 1005);
#ifndef _WIN32  // Windows has no device files in folders
  // A device that never ends is not read at all.
  Result<ZipReader> device = ZipReader::Open("/dev/zero");
  ASSERT_FALSE(device);
  EXPECT_EQ(device.error().message, "cannot read /dev/zero: not a regular file");
#endif
}

}  // namespace
}  // namespace plenwick::word::package
