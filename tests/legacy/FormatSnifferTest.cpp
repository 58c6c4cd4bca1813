// Format checks on fixtures the tests make: every kind of file the converter may meet, and
// compound files broken the ways hostile files are.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "CompoundBuilder.h"
#include "word/legacy/FormatSniffer.h"
#include "word/legacy/LegacyErrors.h"

namespace plenwick::word::legacy {
namespace {

using testing::CompoundBuilder;
using testing::PutU32;
using testing::WordFib;

std::vector<unsigned char> Bytes(std::string_view s) {
  return {s.begin(), s.end()};
}

SniffResult Sniff(const std::vector<unsigned char>& bytes) {
  MemorySource source(bytes);
  return SniffSource(source);
}

void ExpectRejected(const SniffResult& r, int code, std::string_view reasonStart) {
  EXPECT_EQ(r.format, LegacyFormat::kRejected);
  EXPECT_EQ(r.reason.code, code) << r.reason.message;
  EXPECT_TRUE(r.reason.message.starts_with(reasonStart)) << r.reason.message;
}

TEST(FormatSniffer, TellsWordBinariesApartByTheirHeader) {
  const auto word97 =
      CompoundBuilder().Add("WordDocument", WordFib(0xA5EC, 0x0200)).Add("1Table").Build();
  EXPECT_EQ(Sniff(word97).format, LegacyFormat::kWord97);
  EXPECT_EQ(Sniff(word97).description, "Word 97-2003 document");

  const auto word0Table =
      CompoundBuilder().Add("WordDocument", WordFib(0xA5EC, 0)).Add("0Table").Build();
  EXPECT_EQ(Sniff(word0Table).format, LegacyFormat::kWord97);

  const auto word6 = CompoundBuilder().Add("WordDocument", WordFib(0xA5DC, 0)).Build();
  EXPECT_EQ(Sniff(word6).format, LegacyFormat::kWord6);

  // Stream names compare without regard to case, as in the format's own directory.
  const auto lower =
      CompoundBuilder().Add("worddocument", WordFib(0xA5EC, 0x0200)).Add("1table").Build();
  EXPECT_EQ(Sniff(lower).format, LegacyFormat::kWord97);

  std::vector<unsigned char> word2(64, 0);
  word2[0] = 0xDB;
  word2[1] = 0xA5;
  EXPECT_EQ(Sniff(word2).format, LegacyFormat::kWord2);
}

TEST(FormatSniffer, RejectsProtectedAndBrokenWordBinaries) {
  ExpectRejected(Sniff(CompoundBuilder()
                           .Add("WordDocument", WordFib(0xA5EC, 0x0200 | 0x0100))
                           .Add("1Table")
                           .Build()),
                 codes::kPasswordProtected, "password-protected");
  ExpectRejected(Sniff(CompoundBuilder().Add("WordDocument", WordFib(0xA5DC, 0x0100)).Build()),
                 codes::kPasswordProtected, "password-protected");
  ExpectRejected(Sniff(CompoundBuilder()
                           .Add("EncryptionInfo")
                           .Add("EncryptedPackage")
                           .Add("\x06"
                                "DataSpaces")
                           .Build()),
                 codes::kPasswordProtected, "password-protected");
  ExpectRejected(Sniff(CompoundBuilder().Add("WordDocument", WordFib(0xA5EC, 0x0200)).Build()),
                 codes::kDamaged, "damaged: the document's table stream (1Table) is missing");
  ExpectRejected(Sniff(CompoundBuilder().Add("WordDocument", WordFib(0x1234, 0)).Build()),
                 codes::kDamaged, "damaged:");

  std::vector<unsigned char> word2(64, 0);
  word2[0] = 0xDB;
  word2[1] = 0xA5;
  word2[0x0B] = 0x01;
  ExpectRejected(Sniff(word2), codes::kPasswordProtected, "password-protected");
}

TEST(FormatSniffer, NamesOtherOfficeFilesAsNotWord) {
  ExpectRejected(Sniff(CompoundBuilder().Add("Workbook").Build()), codes::kNotWordDocument,
                 "not a Word document (a spreadsheet)");
  ExpectRejected(Sniff(CompoundBuilder().Add("Book").Build()), codes::kNotWordDocument,
                 "not a Word document (a spreadsheet)");
  ExpectRejected(Sniff(CompoundBuilder().Add("PowerPoint Document").Build()),
                 codes::kNotWordDocument, "not a Word document (a presentation)");
  ExpectRejected(Sniff(CompoundBuilder().Add("\x05SummaryInformation").Build()),
                 codes::kNotWordDocument, "not a Word document");
  // A Word document wins over whatever else the container holds (embedded objects).
  EXPECT_EQ(Sniff(CompoundBuilder()
                      .Add("Workbook")
                      .Add("WordDocument", WordFib(0xA5EC, 0x0200))
                      .Add("1Table")
                      .Build())
                .format,
            LegacyFormat::kWord97);
}

TEST(FormatSniffer, ReportsDamagedContainersWithoutLoopingOrReadingPastTheEnd) {
  const auto good =
      CompoundBuilder().Add("WordDocument", WordFib(0xA5EC, 0x0200)).Add("1Table").Build();

  auto truncated = good;
  truncated.resize(300);
  ExpectRejected(Sniff(truncated), codes::kDamaged, "damaged:");

  auto dirLoop = good;  // the directory's sector chain points back at itself
  PutU32(dirLoop, CompoundBuilder::kFatOffset + 4, 1);
  ExpectRejected(Sniff(dirLoop), codes::kDamaged, "damaged:");

  auto siblingLoop = good;  // the second stream's right sibling is the first again
  PutU32(siblingLoop, CompoundBuilder::kDirOffset + 2 * 128 + 0x48, 1);
  ExpectRejected(Sniff(siblingLoop), codes::kDamaged, "damaged:");

  auto fatOutside = good;  // the FAT sector lies far beyond the end of the file
  PutU32(fatOutside, 0x4C, 0x00FFFFFF);
  ExpectRejected(Sniff(fatOutside), codes::kDamaged, "damaged:");

  auto hugeFatCount = good;
  PutU32(hugeFatCount, 0x2C, 0xFFFFFFFF);
  ExpectRejected(Sniff(hugeFatCount), codes::kDamaged, "damaged:");

  auto streamOutside = good;  // WordDocument starts past the end
  PutU32(streamOutside, CompoundBuilder::kDirOffset + 128 + 0x74, 0x7FFFFFFF);
  ExpectRejected(Sniff(streamOutside), codes::kDamaged, "damaged:");

  auto badSectorSize = good;
  badSectorSize[0x1E] = 30;
  ExpectRejected(Sniff(badSectorSize), codes::kDamaged, "damaged:");
}

TEST(FormatSniffer, SurvivesRandomDamageToACompoundFile) {
  const auto good = CompoundBuilder()
                        .Add("WordDocument", WordFib(0xA5EC, 0x0200))
                        .Add("1Table")
                        .Add("Data")
                        .Build();
  std::mt19937 rng(8);
  std::uniform_int_distribution<std::size_t> where(0, 3 * 512);  // header, FAT and directory
  std::uniform_int_distribution<int> value(0, 255);
  for (int round = 0; round < 3000; ++round) {
    auto bytes = good;
    for (int k = 0; k < 1 + round % 8; ++k)
      bytes[where(rng)] = static_cast<unsigned char>(value(rng));
    if (round % 5 == 0) bytes.resize(where(rng) + 8);
    const SniffResult r = Sniff(bytes);
    if (r.format == LegacyFormat::kRejected) {
      EXPECT_FALSE(r.reason.message.empty());
    }
  }
}

TEST(FormatSniffer, RecognisesTextFormats) {
  EXPECT_EQ(Sniff(Bytes("{\\rtf1\\ansi Hello}")).format, LegacyFormat::kRtf);
  EXPECT_EQ(Sniff(Bytes("\xEF\xBB\xBF\r\n  {\\rtf1 Hello}")).format, LegacyFormat::kRtf);
  EXPECT_EQ(Sniff(Bytes("<?xml version=\"1.0\"?>\n<?mso-application progid=\"Word.Document\"?>\n"
                        "<w:wordDocument xmlns:w=\"http://schemas.microsoft.com/office/word/"
                        "2003/wordml\"></w:wordDocument>"))
                .format,
            LegacyFormat::kWordXml2003);
  EXPECT_EQ(Sniff(Bytes("<!DOCTYPE html><html><body>Hi</body></html>")).format,
            LegacyFormat::kHtml);
  EXPECT_EQ(Sniff(Bytes("<html xmlns:o=\"urn:schemas-microsoft-com:office:office\"><body>")).format,
            LegacyFormat::kHtml);
  EXPECT_EQ(
      Sniff(Bytes("<?xml version=\"1.0\"?><html xmlns=\"http://www.w3.org/1999/xhtml\">")).format,
      LegacyFormat::kHtml);
  EXPECT_EQ(
      Sniff(Bytes("MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=x\r\n")).format,
      LegacyFormat::kWebArchive);
  EXPECT_EQ(Sniff(Bytes("From: <Saved by Word>\r\nSubject: x\r\nMIME-Version: 1.0\r\n"
                        "Content-Type: multipart/related; boundary=x\r\n"))
                .format,
            LegacyFormat::kWebArchive);
  ExpectRejected(Sniff(Bytes("<?xml version=\"1.0\"?><catalog><book/></catalog>")),
                 codes::kNotWordDocument, "not a Word document (an XML file");
}

TEST(FormatSniffer, AcceptsPlainTextAndNamesItsCharacterSet) {
  const auto utf8 = Sniff(Bytes("Grüße aus Köln\r\nZweite Zeile\n"));
  EXPECT_EQ(utf8.format, LegacyFormat::kPlainText);
  EXPECT_EQ(utf8.textCharset, "UTF8");

  const auto latin1 =
      Sniff(Bytes("Gr\xFC\xDF"
                  "e aus K\xF6ln\r\n"));
  EXPECT_EQ(latin1.format, LegacyFormat::kPlainText);
  EXPECT_EQ(latin1.textCharset, "MS_1252");

  const std::vector<unsigned char> utf16{0xFF, 0xFE, 'H', 0, 'i', 0, '\n', 0};
  const auto wide = Sniff(utf16);
  EXPECT_EQ(wide.format, LegacyFormat::kPlainText);
  EXPECT_EQ(wide.textCharset, "UNICODE");

  const std::vector<unsigned char> wideRtf{0xFF, 0xFE, '{', 0, '\\', 0, 'r', 0, 't', 0, 'f', 0};
  EXPECT_EQ(Sniff(wideRtf).format, LegacyFormat::kRtf);
}

TEST(FormatSniffer, RejectsEverythingElse) {
  ExpectRejected(Sniff({}), codes::kNotWordDocument, "not a Word document (the file is empty)");
  ExpectRejected(Sniff(Bytes("%PDF-1.7\n")), codes::kNotWordDocument,
                 "not a Word document (a PDF file)");
  ExpectRejected(Sniff({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}), codes::kNotWordDocument,
                 "not a Word document (a picture)");
  std::vector<unsigned char> garbage(5000);
  std::mt19937 rng(1);
  for (auto& b : garbage) b = static_cast<unsigned char>(rng());
  ExpectRejected(Sniff(garbage), codes::kNotWordDocument, "not a Word document");
  // Text with control characters all over is not text.
  ExpectRejected(Sniff(Bytes("\x01\x02\x03\x04\x05\x06\x07\x08 abc")), codes::kNotWordDocument,
                 "not a Word document");

  EXPECT_EQ(Sniff(Bytes("PK\x03\x04rest")).format, LegacyFormat::kOoxmlPackage);
  EXPECT_FALSE(Sniff(Bytes("PK\x03\x04rest")).Convertible());
}

TEST(FormatSniffer, FailsToReadAMissingFile) {
  auto r = SniffFile("/nonexistent/plenwick/legacy.doc");
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().code, codes::kReadFailed);
}

}  // namespace
}  // namespace plenwick::word::legacy
