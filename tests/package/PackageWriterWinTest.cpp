// The package writer's saves on Windows (PackageWriterWin.cpp): every save complete and atomic,
// nothing left beside the target, and a target another program holds open never written over.
// Runs under wine64.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestPaths.h"
#include "word/package/Zip.h"

namespace plenwick::word::package {
namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() : path_(test::MakeTempFolder("plenwick-pkg-")) {}
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  // The UTF-8 path of a file in the folder.
  std::string operator/(const std::string& name) const {
    return test::Utf8(path_ / platform::PathFromUtf8(name));
  }
  std::vector<std::string> List() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(path_))
      names.push_back(test::Utf8(e.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path path_;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(platform::PathFromUtf8(path), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A document that grows by one appended document per save.
class Growing {
 public:
  void Step(PackageWriter& w) {
    const std::string n = std::to_string(step_++);
    EXPECT_TRUE(w.AddFixed(MakeEntry("word/media/image" + n + ".png", std::string(2000, 'p'))));
    doc_.Append("<w:p><w:r><w:t>document " + n + "</w:t></w:r></w:p>");
  }
  std::vector<RawEntry> Changing() const {
    return {MakeEntry("[Content_Types].xml", "<Types/>"),
            doc_.Finish("<w:sectPr/></w:body></w:document>")};
  }
  int steps() const { return step_; }

 private:
  int step_ = 0;
  GrowingEntry doc_{"word/document.xml"};
};

bool Hidden(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(platform::PathFromUtf8(path).wstring().c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

TEST(PackageWriterWindows, EverySaveIsCompleteAndOnlyHiddenSparesStayBesideUntilTheEnd) {
  TempDir dir;
  const std::string name = "Übersicht – 第一.doc";  // UTF-8 names reach the disk intact
  const std::string target = dir / name;
  {
    PackageWriter w;
    Growing g;
    for (int i = 0; i < 5; ++i) {
      g.Step(w);
      ASSERT_TRUE(w.Save(target, g.Changing()));
      Result<ZipReader> zip = ZipReader::Open(target);
      ASSERT_TRUE(zip) << zip.error().message;
      EXPECT_EQ(zip->Names().size(), static_cast<std::size_t>(g.steps()) + 2);
      EXPECT_NE(zip->Read("word/document.xml")->find("document " + std::to_string(i)),
                std::string::npos);
      EXPECT_FALSE(Hidden(target));
      for (const std::string& other : dir.List()) {
        if (other == name) continue;
        EXPECT_TRUE(other.starts_with(".~plw-") && other.ends_with(".tmp")) << other;
        EXPECT_TRUE(Hidden(dir / other)) << other;
      }
    }
    EXPECT_EQ(w.Stats().saves, 5u);
    // From the third save on, each goes on in the file of the save before last.
    EXPECT_EQ(w.Stats().incrementalSaves, 3u);
  }
  EXPECT_EQ(dir.List(), std::vector<std::string>{name});
}

TEST(PackageWriterWindows, IncrementalSavesHoldWhatAFullWriteHolds) {
  TempDir dir;
  PackageWriter incremental;
  PackageWriter full;
  Growing a;
  Growing b;
  for (int i = 0; i < 6; ++i) {
    a.Step(incremental);
    ASSERT_TRUE(incremental.Save(dir / "incremental.doc", a.Changing()));
    b.Step(full);
    full.DropSpares();  // the next save is a full write
    ASSERT_TRUE(full.Save(dir / "full.doc", b.Changing()));
    Result<ZipReader> got = ZipReader::Open(dir / "incremental.doc");
    Result<ZipReader> want = ZipReader::Open(dir / "full.doc");
    ASSERT_TRUE(got && want);
    ASSERT_EQ(got->Names(), want->Names());
    for (const std::string& part : want->Names()) EXPECT_EQ(*got->Read(part), *want->Read(part));
  }
  EXPECT_GT(incremental.Stats().incrementalSaves, 0u);
  EXPECT_EQ(full.Stats().incrementalSaves, 0u);
}

// A viewer that opened the output and still reads it after later saves replaced the name (on
// Windows it shares deletion for that): the file it reads is an old save the writer keeps as its
// spare, and it is never written into while someone has it open. Wine refuses to move a file
// over one that is open at all, so the viewer here opens the old save by its hidden name.
TEST(PackageWriterWindows, AViewerStillReadingAnOldSaveKeepsItIntact) {
  TempDir dir;
  const std::string target = dir / "out.doc";
  PackageWriter w;
  Growing g;
  for (int i = 0; i < 2; ++i) {
    g.Step(w);
    ASSERT_TRUE(w.Save(target, g.Changing()));
  }
  std::string spare;
  for (const std::string& name : dir.List()) {
    if (name != "out.doc") spare = dir / name;
  }
  ASSERT_FALSE(spare.empty()) << "no spare kept beside the output";
  const std::string old = Slurp(spare);
  HANDLE viewer = CreateFileW(platform::PathFromUtf8(spare).wstring().c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
  g.Step(w);
  const Status saved = w.Save(target, g.Changing());
  ASSERT_TRUE(saved) << saved.error().message;
  EXPECT_EQ(w.Stats().incrementalSaves, 0u);
  std::string seen(old.size() + 16, '\0');
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(viewer, seen.data(), static_cast<DWORD>(seen.size()), &read, nullptr));
  CloseHandle(viewer);
  seen.resize(read);
  EXPECT_EQ(seen, old);
  Result<ZipReader> zip = ZipReader::Open(target);
  ASSERT_TRUE(zip);
  EXPECT_NE(zip->Read("word/document.xml")->find("document 2"), std::string::npos);
  // Let go, the writer's files are its own again.
  for (int i = 0; i < 2; ++i) {
    g.Step(w);
    ASSERT_TRUE(w.Save(target, g.Changing()));
  }
  EXPECT_GT(w.Stats().incrementalSaves, 0u);
}

TEST(PackageWriterWindows, SavesThatAreNotPowerSafeHoldTheSame) {
  TempDir dir;
  PackageWriter safe;
  PackageWriter quick;
  quick.SetPowerSafe(false);
  Growing a;
  Growing b;
  for (int i = 0; i < 3; ++i) {
    a.Step(safe);
    b.Step(quick);
    ASSERT_TRUE(safe.Save(dir / "safe.doc", a.Changing()));
    ASSERT_TRUE(quick.Save(dir / "quick.doc", b.Changing()));
    EXPECT_EQ(Slurp(dir / "safe.doc"), Slurp(dir / "quick.doc"));
  }
  EXPECT_TRUE(quick.Flush());
}

// Word keeps the document it shows open without sharing its deletion: replacing it would fail
// on Windows anyway, and the save must say so and leave both files as they were.
TEST(PackageWriterWindows, ATargetAnotherProgramHoldsOpenIsNotWrittenOver) {
  TempDir dir;
  const std::string target = dir / "out.doc";
  PackageWriter w;
  Growing g;
  g.Step(w);
  ASSERT_TRUE(w.Save(target, g.Changing()));
  const std::string before = Slurp(target);

  const std::wstring wide = platform::PathFromUtf8(target).wstring();
  HANDLE held = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  g.Step(w);
  const Status refused = w.Save(target, g.Changing());
  CloseHandle(held);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().code, 1006);
  EXPECT_TRUE(refused.error().message.starts_with("cannot save " + target + ": "))
      << refused.error().message;
  EXPECT_EQ(Slurp(target), before);
  EXPECT_EQ(dir.List(), std::vector<std::string>{"out.doc"});

  // Closed again: the next save goes through.
  ASSERT_TRUE(w.Save(target, g.Changing()));
  EXPECT_NE(Slurp(target), before);
}

TEST(PackageWriterWindows, AFailedSaveIsReportedWithThePathAndReason) {
  TempDir dir;
  PackageWriter w;
  Growing g;
  g.Step(w);
  const std::string taken = dir / "taken.doc";
  fs::create_directory(platform::PathFromUtf8(taken));
  const Status folder = w.Save(taken, g.Changing());
  ASSERT_FALSE(folder);
  EXPECT_EQ(folder.error().message, "cannot save " + taken + ": a folder has that name");

  const std::string gone = dir / "gone\\out.doc";
  const Status missing = w.Save(gone, g.Changing());
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().message, "cannot save " + gone + ": the folder does not exist");
  EXPECT_EQ(dir.List(), std::vector<std::string>{"taken.doc"});
}

TEST(PackageWriterWindows, RefusesAChangingPartThatRepeatsAName) {
  TempDir dir;
  PackageWriter w;
  ASSERT_TRUE(w.AddFixed(MakeEntry("word/media/a.png", "a")));
  EXPECT_FALSE(w.AddFixed(MakeEntry("Word/Media/A.png", "b")));
  const Status s = w.Save(dir / "x.doc", {MakeEntry("word/media/A.PNG", "c")});
  ASSERT_FALSE(s);
  EXPECT_EQ(s.error().code, 1010);
  EXPECT_TRUE(dir.List().empty());
}

}  // namespace
}  // namespace plenwick::word::package
