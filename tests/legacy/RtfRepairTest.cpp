#include "word/legacy/RtfRepair.h"

#include <gtest/gtest.h>

#include <string>

namespace plenwick::word::legacy {
namespace {

TEST(RtfRepair, DropsABinWithoutCountSoTheHexIsReadAsPictureData) {
  EXPECT_EQ(DropUncountedBin(R"({\pict\jpegblip\picw2 \bin ffd8ffe0})"),
            R"({\pict\jpegblip\picw2 ffd8ffe0})");
  EXPECT_EQ(DropUncountedBin("{\\pict\\bin\nffd8}"), "{\\pict\nffd8}");
  EXPECT_EQ(DropUncountedBin("{\\pict\\bin}"), "{\\pict}");
}

TEST(RtfRepair, KeepsCountedBinAndItsRawBytesWhateverTheyHold) {
  // The four raw bytes spell a bare \bin; they are data, not a control word.
  EXPECT_EQ(DropUncountedBin("{\\pict\\bin4 \\bin}"), "{\\pict\\bin4 \\bin}");
  // Only the bare \bin after them goes.
  EXPECT_EQ(DropUncountedBin("{\\bin4 \\bin\\bin ff}"), "{\\bin4 \\binff}");
  // A count that claims more than the file holds copies what there is.
  EXPECT_EQ(DropUncountedBin("{\\bin99 ab"), "{\\bin99 ab");
}

TEST(RtfRepair, LeavesEverythingElseAlone) {
  for (const std::string& rtf : {std::string(R"({\rtf1\ansi \\bin text \binary\bin0 ff})"),
                                 std::string("plain \\\\ and \\{ \\} \\'e9 \\"), std::string()}) {
    EXPECT_EQ(DropUncountedBin(rtf), rtf) << rtf;
  }
}

}  // namespace
}  // namespace plenwick::word::legacy
