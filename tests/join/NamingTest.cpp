// The output's name: its timestamp, and the rule that never replaces a file the run did not write.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "join/DocumentTest.h"
#include "join/OutputName.h"
#include "join/Timestamp.h"
#include "tests/support/TestPaths.h"

namespace plenwick::join {
namespace {

TEST(TimestampTest, WorkedExamples) {
  EXPECT_EQ(FormatTimestamp({2026, 1, 9, 14, 5, 30}), "919 14-5-30");
  EXPECT_EQ(FormatTimestamp({2026, 1, 1, 0, 0, 0}), "111 0-0-0");
  EXPECT_EQ(FormatTimestamp({2025, 12, 5, 21, 7, 9}), "512339 21-7-9");
  EXPECT_EQ(FormatTimestamp({2024, 12, 31, 23, 59, 59}), "3112366 23-59-59");
  EXPECT_EQ(OutputFileName(FormatTimestamp({2026, 1, 9, 14, 5, 30})),
            "All-One-Doc 919 14-5-30.doc");
}

TEST(TimestampTest, DayOfYearFollowsTheGregorianLeapYears) {
  EXPECT_EQ(DayOfYear({2023, 3, 1}), 60);
  EXPECT_EQ(DayOfYear({2024, 3, 1}), 61);
  EXPECT_EQ(DayOfYear({1900, 12, 31}), 365);  // divisible by 100: not a leap year
  EXPECT_EQ(DayOfYear({2000, 12, 31}), 366);  // divisible by 400: a leap year
  EXPECT_EQ(DayOfYear({2024, 2, 29}), 60);
}

TEST(TimestampTest, TheClockReadsPlausibleLocalTime) {
  const LocalDateTime now = CurrentLocalDateTime();
  EXPECT_GE(now.year, 2020);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_LE(now.hour, 23);
}

TEST(DocumentTestTest, LowerCasedTrimmedPathEndsInDocOrDocx) {
  for (const char* yes : {"/r/a.doc", "/r/Report.DOC", "/r/Notes.Docx", "/r/a.doc  ", "  /r/a.docx",
                          "/r/x.rtf.doc", "/r/Ünïcödé.DOC"}) {
    EXPECT_TRUE(IsWordDocument(yes)) << yes;
  }
  for (const char* no : {"/r/a.docm", "/r/a.dot", "/r/a.doc.bak", "/r/a.rtf", "/r/adoc", "", "   ",
                         "/r/a.doc\t", "/r/a.dotx"}) {
    EXPECT_FALSE(IsWordDocument(no)) << no;
  }
}

TEST(OutputNameTest, TakenNamesMoveToTheNextNumber) {
  std::set<std::string> taken;
  const PathProbe probe = [&taken](const std::string& path) { return taken.count(path) != 0; };
  EXPECT_EQ(*ChooseOutputName("/d/", "919 14-5-30", probe), "All-One-Doc 919 14-5-30.doc");
  taken = {"/d/All-One-Doc 919 14-5-30.doc", "/d/All-One-Doc 919 14-5-30 (2).doc"};
  EXPECT_EQ(*ChooseOutputName("/d/", "919 14-5-30", probe), "All-One-Doc 919 14-5-30 (3).doc");
}

TEST(OutputNameTest, AProbeThatAlwaysSaysTakenEndsWithAnError) {
  const Result<std::string> name =
      ChooseOutputName("/d/", "1 2-3-4", [](const std::string&) { return true; });
  ASSERT_FALSE(name);
  EXPECT_NE(name.error().message.find("/d/All-One-Doc 1 2-3-4.doc"), std::string::npos);
  OutputFile output =
      OutputFile::Timestamped("/d/", "1 2-3-4", [](const std::string&) { return true; });
  EXPECT_FALSE(output.PathForSave());
  EXPECT_EQ(output.Path(), "");
}

TEST(OutputNameTest, NameTakenBeforeTheFirstSaveIsChosenAgainButNeverAfter) {
  std::set<std::string> taken;
  OutputFile output = OutputFile::Timestamped(
      "/d/", "919 14-5-30", [&taken](const std::string& path) { return taken.count(path) != 0; });
  EXPECT_EQ(output.Path(), "/d/All-One-Doc 919 14-5-30.doc");
  taken.insert("/d/All-One-Doc 919 14-5-30.doc");  // someone else saved there meanwhile
  EXPECT_EQ(*output.PathForSave(), "/d/All-One-Doc 919 14-5-30 (2).doc");
  output.SaveSucceeded();
  taken.insert("/d/All-One-Doc 919 14-5-30 (2).doc");  // our own file now
  EXPECT_EQ(*output.PathForSave(), "/d/All-One-Doc 919 14-5-30 (2).doc");
}

TEST(OutputNameTest, FixedOutputIsUsedAsGiven) {
  OutputFile output = OutputFile::Fixed("/tmp/x/out.docx");
  EXPECT_EQ(*output.PathForSave(), "/tmp/x/out.docx");
}

TEST(OutputNameTest, RealProbeSeesFilesFoldersAndBrokenLinks) {
  namespace fs = std::filesystem;
  const fs::path dir = test::MakeTempFolder("plenwick-probe-");
  fs::create_directories(dir / "folder");
  std::ofstream(dir / "file") << "x";
  EXPECT_TRUE(PathTaken(test::Utf8(dir / "file")));
  EXPECT_TRUE(PathTaken(test::Utf8(dir / "folder")));
#ifndef _WIN32  // wine has no symbolic links
  fs::create_symlink(dir / "nowhere", dir / "broken");
  EXPECT_TRUE(PathTaken(test::Utf8(dir / "broken")));
#endif
  EXPECT_FALSE(PathTaken(test::Utf8(dir / "free")));
  EXPECT_FALSE(PathTaken(test::Utf8(dir / "Überblick")));
  // A path through a regular file names nothing, and nothing can be saved there either.
  EXPECT_FALSE(PathTaken(test::Utf8(dir / "file" / "below")));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace plenwick::join
