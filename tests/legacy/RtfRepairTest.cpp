#include "word/legacy/LostText.h"
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

TEST(RtfRepair, WhatFollowsADroppedBinNeverRunsIntoTheControlWordBeforeIt) {
  // Found by fuzz_legacy_inputs: bold and the text "in" became a bare \bin, and "2" a font size.
  EXPECT_EQ(DropUncountedBin("{\\b\\bin in}"), "{\\b in}");
  EXPECT_EQ(DropUncountedBin("{\\fs24\\bin 2}"), "{\\fs24 2}");
  EXPECT_EQ(DropUncountedBin("{\\bin0\\bin x}"), "{\\bin0 x}");
  for (const std::string rtf : {"{\\b\\bin in}", "\\i\\bin\\bin-1\\bin 5", "\\b\\bin\\bin in"}) {
    const std::string once = DropUncountedBin(rtf);
    EXPECT_EQ(DropUncountedBin(once), once) << rtf;
  }
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

TEST(RtfShowsText, SeesBodyTextAndNothingInTablesPicturesOrDestinations) {
  EXPECT_TRUE(RtfShowsText(R"({\rtf1\ansi Hello\par})"));
  EXPECT_TRUE(RtfShowsText(R"({\rtf1\ansi\'e9\par})"));
  EXPECT_TRUE(RtfShowsText(R"({\rtf1\ansi\u8364?\par})"));
  EXPECT_TRUE(RtfShowsText(R"({\rtf1\ansi}stray text after the end)"));
  EXPECT_FALSE(RtfShowsText(R"({\rtf1\ansi\deff0{\fonttbl{\f0 Times New Roman;}}\par})"));
  EXPECT_FALSE(RtfShowsText(R"({\rtf1{\colortbl;\red0\green0\blue0;}{\info{\title A}}\par})"));
  EXPECT_FALSE(RtfShowsText(R"({\rtf1{\*\generator Writer;}{\pict\pngblip 89504e47}\par})"));
  EXPECT_FALSE(RtfShowsText("{\\rtf1\\pard\\par\r\n\\par}"));
  EXPECT_FALSE(RtfShowsText("{\\rtf1{\\pict\\bin3 abc}}"));
}

}  // namespace
}  // namespace plenwick::word::legacy
