// Saving again and again: every save is a complete package that other tools read, incremental
// saves equal full ones byte for byte, failures leave the previous save, nothing is left behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "word/package/BackgroundSaver.h"
#include "word/package/Zip.h"

namespace plenwick::word::package {
namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::string templ = (fs::temp_directory_path() / "plenwick-pkg-XXXXXX").string();
    path_ = ::mkdtemp(templ.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  std::vector<std::string> List() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path path_;
};

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A document that grows by one "appended document" per step: a fixed picture and header, and a
// main text and rels that change.
class Growing {
 public:
  template <typename Writer>  // PackageWriter or BackgroundSaver
  void Step(Writer& w) {
    const std::string n = std::to_string(step_++);
    // Pictures do not compress: pseudo-random bytes.
    std::string picture;
    std::uint32_t x = static_cast<std::uint32_t>(step_) * 2654435761u + 1;
    for (int i = 0; i < 3000; ++i) {
      x = x * 1664525u + 1013904223u;
      picture += static_cast<char>(x >> 24);
    }
    EXPECT_TRUE(w.AddFixed(MakeEntry("word/media/image" + n + ".png", picture)));
    EXPECT_TRUE(w.AddFixed(MakeEntry("word/header" + n + ".xml", "<w:hdr>" + n + "</w:hdr>")));
    doc_.Append("<w:p><w:r><w:t>document " + n + "</w:t></w:r></w:p>");
    rels_ += "<Relationship Id=\"rId" + n + "\"/>";
  }
  std::vector<RawEntry> Changing() const {
    return {
        MakeEntry("[Content_Types].xml", "<Types/>"),
        MakeEntry("word/_rels/document.xml.rels", "<Relationships>" + rels_ + "</Relationships>"),
        doc_.Finish("<w:sectPr/></w:body></w:document>")};
  }
  int steps() const { return step_; }

 private:
  int step_ = 0;
  GrowingEntry doc_{"word/document.xml"};
  std::string rels_;
};

// A fresh writer's one full write of the same content.
bool FullWrite(int steps, const fs::path& path) {
  PackageWriter w;
  Growing g;
  for (int i = 0; i < steps; ++i) g.Step(w);
  return w.Save(path, g.Changing()).ok();
}

// Every entry's name and bytes, in directory order.
std::vector<std::pair<std::string, std::string>> Contents(const fs::path& path) {
  std::vector<std::pair<std::string, std::string>> out;
  Result<ZipReader> zip = ZipReader::Open(path);
  EXPECT_TRUE(zip) << zip.error().message;
  if (!zip) return out;
  for (const std::string& name : zip->Names()) {
    Result<std::string> bytes = zip->Read(name);
    EXPECT_TRUE(bytes) << name;
    out.emplace_back(name, bytes ? *bytes : "");
  }
  return out;
}

bool PythonReads(const fs::path& p) {
  const std::string cmd =
      "/usr/bin/python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); "
      "sys.exit(z.testzip() is not None)\" '" +
      p.string() + "'";
  return std::system(cmd.c_str()) == 0;
}

TEST(PackageWriter, EverySaveIsACompletePackageOthersCanRead) {
  TempDir dir;
  const fs::path target = dir.path() / "All-One-Doc 07-12 051500.doc";
  PackageWriter w;
  Growing g;
  for (int i = 0; i < 6; ++i) {
    g.Step(w);
    ASSERT_TRUE(w.Save(target, g.Changing()));
    Result<ZipReader> zip = ZipReader::Open(target);
    ASSERT_TRUE(zip) << zip.error().message;
    EXPECT_EQ(zip->Names().size(), 2u * static_cast<unsigned>(g.steps()) + 3);
    for (const std::string& name : zip->Names()) EXPECT_TRUE(zip->Read(name)) << name;
    EXPECT_NE(zip->Read("word/document.xml")->find("document " + std::to_string(i)),
              std::string::npos);
  }
  EXPECT_TRUE(PythonReads(target));
  if (std::system("command -v unzip >/dev/null") == 0) {
    EXPECT_EQ(std::system(("unzip -tqq '" + target.string() + "' >/dev/null").c_str()), 0);
  }
  EXPECT_GE(w.Stats().incrementalSaves, 3u);
}

TEST(PackageWriter, IncrementalSavesHoldWhatAFullWriteHolds) {
  TempDir dir;
  const fs::path target = dir.path() / "out.doc";
  PackageWriter w;
  Growing g;
  for (int i = 0; i < 8; ++i) {
    g.Step(w);
    ASSERT_TRUE(w.Save(target, g.Changing()));
    const fs::path full = dir.path() / "full.docx";
    ASSERT_TRUE(FullWrite(g.steps(), full));
    EXPECT_EQ(Contents(target), Contents(full)) << "after save " << i + 1;
  }
  EXPECT_EQ(w.Stats().incrementalSaves, 6u);  // the first two saves have no spare yet
}

// The next document's pictures and headers arrive while the last save is still writing: they
// must wait for the save after it, and a save's failure must come out of Finish.
TEST(PackageWriter, SavesInTheBackgroundHoldWhatAFullWriteHolds) {
  TempDir dir;
  const fs::path target = dir.path() / "out.doc";
  BackgroundSaver w(std::make_unique<PackageWriter>());
  Growing g;
  g.Step(w);
  w.Start(target, g.Changing());
  for (int i = 0; i < 6; ++i) {
    g.Step(w);
    ASSERT_TRUE(w.Finish());
    w.Start(target, g.Changing());
  }
  ASSERT_TRUE(w.Finish());
  EXPECT_TRUE(w.Finish());  // nothing started since
  ASSERT_TRUE(FullWrite(g.steps(), dir.path() / "full.docx"));
  EXPECT_EQ(Contents(target), Contents(dir.path() / "full.docx"));

  const fs::path taken = dir.path() / "taken.doc";
  fs::create_directory(taken);
  w.Start(taken, g.Changing());
  const Status folder = w.Finish();
  ASSERT_FALSE(folder);
  EXPECT_EQ(folder.error().message, "cannot save " + taken.string() + ": a folder has that name");
}

TEST(PackageWriter, SavesThatAreNotPowerSafeHoldTheSame) {
  TempDir dir;
  PackageWriter safe;
  PackageWriter quick;
  quick.SetPowerSafe(false);
  Growing a;
  Growing b;
  for (int i = 0; i < 6; ++i) {
    a.Step(safe);
    b.Step(quick);
    ASSERT_TRUE(safe.Save(dir.path() / "safe.doc", a.Changing()));
    ASSERT_TRUE(quick.Save(dir.path() / "quick.doc", b.Changing()));
    EXPECT_EQ(Contents(dir.path() / "safe.doc"), Contents(dir.path() / "quick.doc"));
  }
  EXPECT_EQ(quick.Stats().incrementalSaves, 4u);
  EXPECT_TRUE(quick.Flush());
}

TEST(PackageWriter, WithoutGrowingEntriesSavesAreByteForByteTheSame) {
  TempDir dir;
  PackageWriter a;
  PackageWriter b;
  for (int i = 0; i < 5; ++i) {
    const RawEntry media =
        MakeEntry("word/media/" + std::to_string(i) + ".bin", std::string(999, 'm'));
    ASSERT_TRUE(a.AddFixed(media));
    ASSERT_TRUE(b.AddFixed(media));
    const std::vector<RawEntry> changing = {
        MakeEntry("word/document.xml", std::string(100 * static_cast<std::size_t>(i), 'd'))};
    ASSERT_TRUE(a.Save(dir.path() / "a.doc", changing));
    b.DropSpares();
    ASSERT_TRUE(b.Save(dir.path() / "b.doc", changing));
    EXPECT_EQ(Slurp(dir.path() / "a.doc"), Slurp(dir.path() / "b.doc"));
  }
}

TEST(PackageWriter, AMainTextThatOutgrowsItsRoomMovesAndStaysReadable) {
  TempDir dir;
  const fs::path target = dir.path() / "out.doc";
  PackageWriter w;
  GrowingEntry doc("word/document.xml");
  std::string expected;
  std::uint32_t x = 7;
  std::uint64_t fileBytes = 0;
  for (int i = 0; i < 60; ++i) {
    // Text that compresses poorly, so the entry soon outgrows the room it was given.
    std::string piece = "<w:p>";
    for (int k = 0; k < 2000; ++k) {
      x = x * 1103515245u + 12345u;
      piece += static_cast<char>('a' + (x >> 16) % 26);
    }
    piece += "</w:p>";
    doc.Append(piece);
    expected += piece;
    ASSERT_TRUE(w.Save(target, {doc.Finish("<end/>")}));
    Result<ZipReader> zip = ZipReader::Open(target);
    ASSERT_TRUE(zip) << zip.error().message;
    Result<std::string> text = zip->Read("word/document.xml");
    ASSERT_TRUE(text) << text.error().message;
    ASSERT_EQ(*text, expected + "<end/>") << "save " << i + 1;
    fileBytes += fs::file_size(target);
  }
  EXPECT_TRUE(PythonReads(target));
  // Most saves wrote only their new piece, not the whole entry.
  EXPECT_GT(w.Stats().incrementalSaves, 40u);
  EXPECT_LT(w.Stats().bytesWritten, fileBytes / 3);
}

TEST(PackageWriter, RandomGrowthOfSeveralEntriesAlwaysSavesWhatWasGiven) {
  TempDir dir;
  const fs::path target = dir.path() / "out.doc";
  PackageWriter w;
  std::uint32_t x = 12345;
  auto next = [&x](std::uint32_t n) {
    x = x * 1664525u + 1013904223u;
    return (x >> 8) % n;
  };
  auto text = [&](std::size_t n, bool random) {
    std::string t;
    for (std::size_t i = 0; i < n; ++i) {
      t += random ? static_cast<char>('a' + next(26)) : static_cast<char>('a' + i % 7);
    }
    return t;
  };
  std::vector<GrowingEntry> entries;
  std::vector<std::string> expected(3);
  for (const char* name : {"[Content_Types].xml", "word/document.xml", "word/footnotes.xml"}) {
    entries.emplace_back(name);
  }
  // The footnotes come with a lineage, as the composer's parts do, and now and then start
  // afresh under a new one: the writer must then not go on after the old prefix.
  std::uint64_t lineage = 1;
  std::vector<std::pair<std::string, std::string>> fixedParts;
  for (int save = 0; save < 150; ++save) {
    if (next(20) == 0) {
      // At least as long as before, so the old slot would still take it.
      entries[2] = GrowingEntry("word/footnotes.xml");
      expected[2] = text(expected[2].size() + 500, true);
      entries[2].Append(expected[2]);
      ++lineage;
    }
    for (std::size_t e = 0; e < entries.size(); ++e) {
      if (next(3) == 0) continue;
      const std::string piece = text(next(e == 1 ? 6000 : 300), next(2) == 0);
      entries[e].Append(piece);
      expected[e] += piece;
    }
    if (next(4) == 0) {
      const std::string name = "word/media/m" + std::to_string(save) + ".bin";
      fixedParts.emplace_back(name, text(next(5000), true));
      ASSERT_TRUE(w.AddFixed(MakeEntry(name, fixedParts.back().second)));
    }
    // Tails vary in length, sometimes far beyond the room first given to them.
    std::vector<std::string> tails;
    std::vector<RawEntry> changing;
    for (std::size_t e = 0; e < entries.size(); ++e) {
      tails.push_back(text(next(save % 50 == 49 ? 3000 : 200), next(2) == 0));
      changing.push_back(entries[e].Finish(tails.back()));
    }
    changing[2].prefixLineage = lineage;
    changing.push_back(MakeEntry("word/settings.xml", text(next(500), false)));
    ASSERT_TRUE(w.Save(target, changing));

    Result<ZipReader> zip = ZipReader::Open(target);
    ASSERT_TRUE(zip) << zip.error().message;
    ASSERT_EQ(zip->Names().size(), 4 + fixedParts.size());
    // Readers list the changing parts in the order given, wherever their bytes lie.
    for (std::size_t e = 0; e < changing.size(); ++e) {
      ASSERT_EQ(zip->Names()[fixedParts.size() + e], changing[e].name);
    }
    for (std::size_t e = 0; e < entries.size(); ++e) {
      Result<std::string> got = zip->Read(changing[e].name);
      ASSERT_TRUE(got) << got.error().message;
      ASSERT_EQ(*got, expected[e] + tails[e]) << changing[e].name << " after save " << save + 1;
    }
    for (const auto& [name, bytes] : fixedParts) ASSERT_EQ(*zip->Read(name), bytes);
  }
  EXPECT_TRUE(PythonReads(target));
  EXPECT_GT(w.Stats().incrementalSaves, 100u);
}

TEST(PackageWriter, LeavesNothingBehindAndHidesItsSpares) {
  TempDir dir;
  const fs::path target = dir.path() / "out.doc";
  {
    PackageWriter w;
    Growing g;
    for (int i = 0; i < 4; ++i) {
      g.Step(w);
      ASSERT_TRUE(w.Save(target, g.Changing()));
    }
    // The spare beside the target: hidden, and not a name a later walk would collect.
    for (const std::string& name : dir.List()) {
      if (name == "out.doc") continue;
      EXPECT_TRUE(name.starts_with(".~plw-") && name.ends_with(".tmp")) << name;
    }
  }
  EXPECT_EQ(dir.List(), std::vector<std::string>{"out.doc"});
}

TEST(PackageWriter, AFailedSaveLeavesThePreviousOneAndIsReportedWithThePath) {
  TempDir dir;
  const fs::path target = dir.path() / "out.doc";
  PackageWriter w;
  Growing g;
  for (int i = 0; i < 3; ++i) {
    g.Step(w);
    ASSERT_TRUE(w.Save(target, g.Changing()));
  }
  const std::string before = Slurp(target);

  // The disk fills up in the middle of the save.
  g.Step(w);
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = before.size();
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const Status full = w.Save(target, g.Changing());
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &old), 0);
  ASSERT_FALSE(full);
  EXPECT_EQ(full.error().code, 1006);
  EXPECT_TRUE(full.error().message.starts_with("cannot save " + target.string() + ": "))
      << full.error().message;
  EXPECT_EQ(Slurp(target), before);

  // The target's name taken by a folder: nothing in the folder is touched.
  const fs::path taken = dir.path() / "taken.doc";
  fs::create_directory(taken);
  std::ofstream(taken / "keep.txt") << "keep";
  const Status folder = w.Save(taken, g.Changing());
  ASSERT_FALSE(folder);
  EXPECT_EQ(folder.error().message, "cannot save " + taken.string() + ": a folder has that name");
  EXPECT_EQ(Slurp(taken / "keep.txt"), "keep");

  // The destination folder removed.
  const fs::path gone = dir.path() / "gone" / "out.doc";
  const Status missing = w.Save(gone, g.Changing());
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().message,
            "cannot save " + gone.string() + ": the folder does not exist");

  // Back to the first target: a full write that works again.
  ASSERT_TRUE(w.Save(target, g.Changing()));
  ASSERT_TRUE(FullWrite(g.steps(), dir.path() / "full.docx"));
  EXPECT_EQ(Contents(target), Contents(dir.path() / "full.docx"));
}

// A disk that fills up: the message says how much the save needed, and that a full write needs
// room for a second copy. A small file system of its own needs a mount namespace; without one the
// test cannot run.
TEST(PackageWriter, AFullDiskSaysHowMuchTheSaveNeeded) {
  TempDir dir;
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(report[0]);
    auto tell = [&](const std::string& line) {
      (void)!::write(report[1], line.data(), line.size());
      ::_exit(0);
    };
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) tell("skip: no user namespace");
    std::ofstream("/proc/self/setgroups") << "deny";
    std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
    std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
    if (::mount("none", dir.path().c_str(), "tmpfs", 0, "size=400k") != 0) {
      tell("skip: no tmpfs of its own");
    }
    PackageWriter w;
    Growing g;
    for (int i = 0; i < 1000; ++i) {
      g.Step(w);
      const Status s = w.Save(dir.path() / "out.doc", g.Changing());
      if (!s) tell(s.error().message);
    }
    tell("never full");
  }
  ::close(report[1]);
  std::string message;
  char buf[1024];
  for (ssize_t n; (n = ::read(report[0], buf, sizeof buf)) > 0;) {
    message.append(buf, static_cast<std::size_t>(n));
  }
  ::close(report[0]);
  ::waitpid(child, nullptr, 0);
  if (message.starts_with("skip: ")) GTEST_SKIP() << message.substr(6);
  EXPECT_TRUE(message.starts_with("cannot save " + (dir.path() / "out.doc").string() +
                                  ": the disk is full (this save "))
      << message;
  EXPECT_NE(message.find(" MB"), std::string::npos) << message;
}

TEST(PackageWriter, RefusesAChangingPartThatRepeatsAName) {
  TempDir dir;
  PackageWriter w;
  ASSERT_TRUE(w.AddFixed(MakeEntry("word/media/a.png", "a")));
  EXPECT_FALSE(w.AddFixed(MakeEntry("Word/Media/A.png", "b")));
  EXPECT_TRUE(w.AddFixed(MakeEntry("word/media/a.png", "a")));  // the same part again
  EXPECT_TRUE(w.HasFixed("WORD/media/a.png"));
  const Status s = w.Save(dir.path() / "x.doc", {MakeEntry("word/media/A.PNG", "c")});
  ASSERT_FALSE(s);
  EXPECT_EQ(s.error().code, 1010);
  EXPECT_FALSE(fs::exists(dir.path() / "x.doc"));
}

TEST(PackageWriter, ATargetReplacedBySomeoneElseIsNeitherReusedNorKept) {
  TempDir dir;
  const fs::path target = dir.path() / "out.doc";
  PackageWriter w;
  Growing g;
  for (int i = 0; i < 3; ++i) {
    g.Step(w);
    ASSERT_TRUE(w.Save(target, g.Changing()));
  }
  // Someone else writes their own file under the name (as a later run with the same name would).
  const fs::path theirs = dir.path() / "theirs";
  std::ofstream(theirs) << "their document";
  fs::rename(theirs, target);
  for (int i = 0; i < 3; ++i) {
    g.Step(w);
    ASSERT_TRUE(w.Save(target, g.Changing()));
    ASSERT_TRUE(FullWrite(g.steps(), dir.path() / "full.docx"));
    EXPECT_EQ(Contents(target), Contents(dir.path() / "full.docx"));
  }
}

TEST(PackageWriter, NeverWritesIntoAnOldSaveThatSomeoneLinkedElsewhere) {
  TempDir dir;
  const fs::path target = dir.path() / "out.doc";
  const fs::path backup = dir.path() / "backup.doc";
  PackageWriter w;
  Growing g;
  for (int i = 0; i < 3; ++i) {
    g.Step(w);
    ASSERT_TRUE(w.Save(target, g.Changing()));
  }
  fs::create_hard_link(target, backup);  // a backup tool's hard-linked snapshot
  const std::string snapshot = Slurp(backup);
  for (int i = 0; i < 4; ++i) {
    g.Step(w);
    ASSERT_TRUE(w.Save(target, g.Changing()));
    ASSERT_TRUE(FullWrite(g.steps(), dir.path() / "full.docx"));
    EXPECT_EQ(Contents(target), Contents(dir.path() / "full.docx"));
  }
  EXPECT_EQ(Slurp(backup), snapshot);
}

TEST(PackageWriter, AViewerStillReadingAnOldSaveKeepsItIntact) {
  TempDir dir;
  const fs::path target = dir.path() / "out.doc";
  PackageWriter w;
  Growing g;
  for (int i = 0; i < 3; ++i) {
    g.Step(w);
    ASSERT_TRUE(w.Save(target, g.Changing()));
  }
  // A viewer opens the output and reads its parts later, as it needs them.
  const std::string snapshot = Slurp(target);
  const int viewer = ::open(target.c_str(), O_RDONLY);
  ASSERT_GE(viewer, 0);
  for (int i = 0; i < 4; ++i) {
    g.Step(w);
    ASSERT_TRUE(w.Save(target, g.Changing()));
  }
  std::string seen(snapshot.size(), '\0');
  EXPECT_EQ(::pread(viewer, seen.data(), seen.size(), 0), static_cast<ssize_t>(seen.size()));
  ::close(viewer);
  EXPECT_EQ(seen, snapshot);
  ASSERT_TRUE(FullWrite(g.steps(), dir.path() / "full.docx"));
  EXPECT_EQ(Contents(target), Contents(dir.path() / "full.docx"));
}

TEST(PackageWriter, SavingToAnotherPathStartsAfreshAndCleansUp) {
  TempDir dir;
  PackageWriter w;
  Growing g;
  for (int i = 0; i < 3; ++i) {
    g.Step(w);
    ASSERT_TRUE(w.Save(dir.path() / "a.doc", g.Changing()));
  }
  g.Step(w);
  ASSERT_TRUE(w.Save(dir.path() / "b.doc", g.Changing()));
  ASSERT_TRUE(FullWrite(g.steps(), dir.path() / "full.docx"));
  EXPECT_EQ(Contents(dir.path() / "b.doc"), Contents(dir.path() / "full.docx"));
  fs::remove(dir.path() / "full.docx");
  w.DropSpares();
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"a.doc", "b.doc"}));
}

TEST(PackageWriter, ANewFileClaimsItsNameAndNeverReplacesAnother) {
  TempDir dir;
  const fs::path taken = dir.path() / "taken.doc";
  std::ofstream(taken) << "someone else's";
  PackageWriter w;
  Growing g;
  g.Step(w);
  const Status refused = w.Save(taken, g.Changing(), SaveMode::kCreateNew);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().code, 1011);
  EXPECT_EQ(Slurp(taken), "someone else's");

  // A free name is claimed; from then on it is this writer's own and later saves replace it.
  const fs::path mine = dir.path() / "mine.doc";
  ASSERT_TRUE(w.Save(mine, g.Changing(), SaveMode::kCreateNew));
  g.Step(w);
  ASSERT_TRUE(w.Save(mine, g.Changing(), SaveMode::kCreateNew));
  ASSERT_TRUE(FullWrite(g.steps(), dir.path() / "full.docx"));
  EXPECT_EQ(Contents(mine), Contents(dir.path() / "full.docx"));
}

TEST(PackageWriter, TheLongestNameTheFileSystemTakesSavesAgainAndAgain) {
  TempDir dir;
  // NAME_MAX: the hidden files beside it must not need more.
  const std::string name = std::string(251, 'n') + ".doc";
  const fs::path target = dir.path() / name;
  {
    PackageWriter w;
    Growing g;
    for (int i = 0; i < 4; ++i) {
      g.Step(w);
      const Status saved = w.Save(target, g.Changing());
      ASSERT_TRUE(saved) << saved.error().message;
    }
    EXPECT_GT(w.Stats().incrementalSaves, 0u);
  }
  EXPECT_EQ(dir.List(), std::vector<std::string>{name});
}

TEST(PackageWriter, WhatAKilledRunLeavesTheNextSaveIntoTheFolderRemoves) {
  TempDir dir;
  const fs::path target = dir.path() / "out.doc";
  // Killed at a different moment each time: between saves, while writing, while renaming. A
  // kill can land where a run holds no hidden file (between dropping a spare and writing the
  // next), so on a busy machine keep going until one is left.
  for (int trial = 0; trial < 6 || (dir.List().size() < 2 && trial < 30); ++trial) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      PackageWriter w;
      Growing g;
      for (int i = 0; i < 2000; ++i) {
        g.Step(w);
        if (!w.Save(target, g.Changing())) ::_exit(1);
      }
      ::_exit(0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(150 + 37 * (trial % 6)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before it was killed";
  }
  EXPECT_GT(dir.List().size(), 1u) << "the killed runs left nothing to tidy";
  {
    PackageWriter w;
    Growing g;
    g.Step(w);
    ASSERT_TRUE(w.Save(dir.path() / "later.doc", g.Changing()));
  }
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"later.doc", "out.doc"}));
  EXPECT_FALSE(Contents(target).empty());
}

TEST(PackageWriter, HiddenFilesOfARunStillGoingAreLeftAlone) {
  TempDir dir;
  PackageWriter running;
  Growing g;
  for (int i = 0; i < 3; ++i) {
    g.Step(running);
    ASSERT_TRUE(running.Save(dir.path() / "a.doc", g.Changing()));
  }
  const std::vector<std::string> before = dir.List();
  ASSERT_GT(before.size(), 1u);
  {
    PackageWriter other;
    Growing h;
    h.Step(other);
    ASSERT_TRUE(other.Save(dir.path() / "b.doc", h.Changing()));
    for (const std::string& name : before) EXPECT_TRUE(fs::exists(dir.path() / name)) << name;
  }
  g.Step(running);
  ASSERT_TRUE(running.Save(dir.path() / "a.doc", g.Changing()));
  EXPECT_GT(running.Stats().incrementalSaves, 0u);
}

}  // namespace
}  // namespace plenwick::word::package
