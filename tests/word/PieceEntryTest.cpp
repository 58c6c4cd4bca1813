// A part kept as runs of separately compressed pieces must read back as the text appended, in
// order, whatever mix of pieces and whole runs went into it.
#include "word/engine/PieceEntry.h"

#include <gtest/gtest.h>

#include "tests/package/ZipBytes.h"

namespace plenwick::word::engine {
namespace {

std::string ReadBack(const package::RawEntry& e) {
  package::testing::ZipItem item;
  item.name = e.name;
  item.method = e.method;
  item.data = *e.data;
  item.crc = e.crc32;
  item.compressedSize = static_cast<std::uint32_t>(e.compressedSize);
  item.uncompressedSize = static_cast<std::uint32_t>(e.uncompressedSize);
  Result<package::ZipReader> zip =
      package::ZipReader::FromBytes(package::testing::BuildZip({item}));
  if (!zip) return "ERROR " + zip.error().message;
  Result<std::string> r = zip->Read(e.name);
  return r ? *r : "ERROR " + r.error().message;
}

// A run goes on with its own compressor from its second piece; a whole run appended in between
// comes between what that compressor saw and what it writes next.
TEST(PieceEntry, PiecesAndWholeRunsReadBackInOrder) {
  PieceEntry part("word/part.xml", 1);
  part.SetHead("<root>");
  part.SetTail("</root>");
  std::string expected;
  auto piece = [](int i) {
    return "<w:p><w:r><w:t>paragraph " + std::to_string(i) + " of the same kind</w:t></w:r></w:p>";
  };
  for (int i = 0; i < 40; ++i) {
    part.Append(0, piece(i));
    expected += piece(i);
    if (i % 10 == 5) {
      CompressedRun other;
      for (int k = 0; k < 3; ++k) {
        other.Append(piece(1000 + k));
        expected += piece(1000 + k);
      }
      part.Append(0, other);
    }
    EXPECT_EQ(ReadBack(part.Entry()), "<root>" + expected + "</root>") << i;
  }
}

}  // namespace
}  // namespace plenwick::word::engine
