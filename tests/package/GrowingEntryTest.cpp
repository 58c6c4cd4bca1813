// The main document's entry, compressed piece by piece, must read back as one deflate stream.
#include <gtest/gtest.h>

#include "tests/package/ZipBytes.h"
#include "word/package/DeflatePadding.h"
#include "word/package/Zip.h"

namespace plenwick::word::package {
namespace {

std::string ReadBack(const RawEntry& e) {
  Result<ZipReader> zip = ZipReader::FromBytes(
      testing::BuildZip({{.name = e.name,
                          .content = "",
                          .method = e.method,
                          .data = *e.data,
                          .crc = e.crc32,
                          .compressedSize = static_cast<std::uint32_t>(e.compressedSize),
                          .uncompressedSize = static_cast<std::uint32_t>(e.uncompressedSize)}}));
  if (!zip) return "ERROR " + zip.error().message;
  Result<std::string> r = zip->Read(e.name);
  return r ? *r : "ERROR " + r.error().message;
}

TEST(GrowingEntry, PiecesAndTailFormOneStream) {
  GrowingEntry doc("word/document.xml");
  std::string expected = "<w:document><w:body>";
  doc.Append(expected);
  for (int i = 0; i < 50; ++i) {
    const std::string piece =
        "<w:p><w:r><w:t>paragraph " + std::to_string(i) + "</w:t></w:r></w:p>";
    doc.Append(piece);
    expected += piece;
    // Every intermediate state is complete with its own tail.
    if (i % 10 == 0) {
      const std::string tail = "<w:sectPr/></w:body></w:document>";
      EXPECT_EQ(ReadBack(doc.Finish(tail)), expected + tail);
    }
  }
  doc.Append("");
  EXPECT_EQ(doc.UncompressedSize(), expected.size());
  EXPECT_GT(doc.Finish("").stablePrefix, 0u);
  EXPECT_EQ(ReadBack(doc.Finish("")), expected);
  GrowingEntry empty("e.xml");
  EXPECT_EQ(ReadBack(empty.Finish("")), "");
  EXPECT_EQ(ReadBack(empty.Finish("<a/>")), "<a/>");
}

TEST(GrowingEntry, FinishDoesNotCompressEarlierPiecesAgain) {
  GrowingEntry doc("d.xml");
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "<w:p>" + std::to_string(i * 7919 % 10007) + "</w:p>";
  doc.Append(big);
  const RawEntry a = doc.Finish("<end/>");
  const RawEntry b = doc.Finish("<other-end/>");
  // The pieces are laid as they are: the two results share every byte before their tails.
  const std::size_t common = std::min(a.data->size(), b.data->size()) - 16;
  EXPECT_EQ(a.data->substr(0, common), b.data->substr(0, common));
  EXPECT_EQ(ReadBack(b), big + "<other-end/>");
}

TEST(DeflatePadding, FillsEveryLengthItClaimsWithBlocksThatDecodeToNothing) {
  for (std::uint64_t n = 0; n < 300; ++n) {
    if (!PaddingFits(n)) {
      EXPECT_TRUE(n < 5 || n == 8) << n;
      continue;
    }
    // Padding between a piece and the final block, as in a slot.
    GrowingEntry doc("p.xml");
    doc.Append("<a>");
    RawEntry e = doc.Finish("</a>");
    std::string data = e.data->substr(0, e.stablePrefix);
    AppendPadding(data, n);
    EXPECT_EQ(data.size(), e.stablePrefix + n);
    data += e.data->substr(e.stablePrefix);
    e.compressedSize = data.size();
    e.data = std::make_shared<const std::string>(data);
    EXPECT_EQ(ReadBack(e), "<a></a>") << n;
  }
}

}  // namespace
}  // namespace plenwick::word::package
