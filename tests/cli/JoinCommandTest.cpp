// plenwick-join's command line and its join, over real folders and a recording Word layer.
#include "cli/JoinCommand.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Progress.h"
#include "tests/cli/TempTree.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/RecordingWord.h"
#include "walk/StdFileSystem.h"

namespace plenwick::cli {
namespace {

using Lines = std::vector<std::string>;

// A temporary file. The Windows C runtime names them from a count of its own, so two test
// programs running at once can pick the same name, and the loser's tmpfile fails: it tries on.
std::FILE* Scratch() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (std::FILE* file = std::tmpfile()) return file;
  }
  return nullptr;
}

std::string ReadAll(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  return text;
}

Lines SplitLines(const std::string& text) {
  Lines lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

Result<CommandLine> Parse(Lines arguments) {
  return ParseCommandLine(arguments);
}

TEST(CommandLineTest, UnderstandsTheFourForms) {
  Result<CommandLine> join = Parse({"src", "dest"});
  ASSERT_TRUE(join);
  EXPECT_EQ(join->mode, Mode::kJoin);
  EXPECT_EQ(join->source, "src");
  EXPECT_EQ(join->dest, "dest");
  Result<CommandLine> output = Parse({"--quiet", "--output", "out.doc", "src"});
  ASSERT_TRUE(output);
  EXPECT_TRUE(output->quiet);
  EXPECT_EQ(output->output, "out.doc");
  EXPECT_EQ(output->source, "src");
  EXPECT_EQ(Parse({"src", "--output=o.doc"})->output, "o.doc");
  EXPECT_EQ(Parse({"--list", "src"})->mode, Mode::kList);
  EXPECT_EQ(Parse({"-l", "--", "-src"})->source, "-src");
  EXPECT_EQ(Parse({"--help", "bogus", "--nonsense"})->mode, Mode::kHelp);
  EXPECT_EQ(Parse({"-V"})->mode, Mode::kVersion);
  EXPECT_EQ(Parse({"src", "dest"})->engine, Engine::kNative);
  EXPECT_EQ(Parse({"--engine", "word", "src", "dest"})->engine, Engine::kWord);
  EXPECT_EQ(Parse({"--engine=native", "-o", "o.doc", "src"})->engine, Engine::kNative);

  // The binder and the choice of documents, each off unless asked for.
  const Result<CommandLine> plain = Parse({"src", "dest"});
  EXPECT_FALSE(plain->Binder().Any());
  EXPECT_EQ(plain->pdf, "");
  EXPECT_TRUE(plain->choice.exclude.empty());
  EXPECT_EQ(plain->choice.order, join::DocumentOrder::kWalk);
  const Result<CommandLine> binder =
      Parse({"--bookmarks", "--page-numbers", "continuous", "--pdf=o.pdf", "--exclude", "*x*",
             "--exclude=old", "--order", "modified", "-o", "o.docx", "src"});
  ASSERT_TRUE(binder);
  EXPECT_EQ(binder->Binder(), (word::BinderOptions{true, false, true}));
  EXPECT_EQ(binder->pdf, "o.pdf");
  EXPECT_EQ(binder->choice.exclude, (Lines{"*x*", "old"}));
  EXPECT_EQ(binder->choice.order, join::DocumentOrder::kModified);
  // A contents page lists where documents start in the whole result, unless asked otherwise.
  EXPECT_EQ(Parse({"--contents", "src", "dest"})->Binder(),
            (word::BinderOptions{false, true, true}));
  EXPECT_EQ(Parse({"--contents", "--page-numbers=own", "src", "dest"})->Binder(),
            (word::BinderOptions{false, true, false}));
  EXPECT_EQ(Parse({"--list", "--order=name", "--exclude", "a", "src"})->choice.order,
            join::DocumentOrder::kName);
}

TEST(CommandLineTest, BadUsageIsStatus64WithAReason) {
  for (const Lines& bad : {Lines{},
                           Lines{"src"},
                           Lines{"a", "b", "c"},
                           Lines{"--list", "a", "b"},
                           Lines{"--output", "o", "a", "b"},
                           Lines{"--output"},
                           Lines{"-x", "a", "b"},
                           Lines{"--list", "--output", "o", "a"},
                           Lines{"", "b"},
                           Lines{"--output=", "a"},
                           Lines{"-o", "a", "-o", "b", "c"},
                           Lines{"--engine", "msword", "a", "b"},
                           Lines{"a", "b", "--engine"},
                           Lines{"--engine=word", "--engine=word", "a", "b"},
                           Lines{"--page-numbers", "roman", "a", "b"},
                           Lines{"--order", "size", "a", "b"},
                           Lines{"--list", "--pdf", "x.pdf", "a"},
                           Lines{"--list", "--contents", "a"},
                           Lines{"--engine", "word", "--bookmarks", "a", "b"},
                           Lines{"--pdf=", "a", "b"},
                           Lines{"a", "b", "--exclude"},
                           Lines{"--pdf", "o.docx", "-o", "o.docx", "a"},
                           Lines{"--order", "name", "--order", "walk", "a", "b"}}) {
    const Result<CommandLine> line = Parse(bad);
    ASSERT_FALSE(line) << ::testing::PrintToString(bad);
    EXPECT_EQ(line.error().code, kExitUsage);
    EXPECT_FALSE(line.error().message.empty());
  }
}

TEST(ProgressTest, BarShowsCountTotalAndAsMuchOfThePathAsFits) {
  EXPECT_EQ(Progress::BarLine(1, 4, "/r/a.doc", 80), "[------------------------] 1/4 /r/a.doc");
  EXPECT_EQ(Progress::BarLine(3, 4, "/r/a.doc", 80), "[############------------] 3/4 /r/a.doc");
  const std::string line = Progress::BarLine(2, 4, "/very/long/path/to/some/Dokument-é.docx", 45);
  EXPECT_EQ(line, "[######------------------] 2/4 ...ent-é.docx");
}

class JoinCommandTest : public ::testing::Test {
 protected:
  JoinCommandTest() {
    // Three documents and two other files, in two levels.
    a = tree.Write("src/a.doc");
    tree.Write("src/b.txt");
    c = tree.Write("src/S/c.DOCX");
    tree.Write("src/S/d.rtf");
    e = tree.Write("src/T/e.doc");
    src = tree.Path("src");
    dest = tree.Folder("dest");
    environment.applications = word.Factory();
    environment.fileSystems = walk::DefaultFileSystems();
  }

  // Runs the command with fresh stdout and stderr files and reads them back.
  int Run(Lines arguments) {
    Result<CommandLine> line = ParseCommandLine(arguments);
    EXPECT_TRUE(line);
    if (!line) return -1;
    environment.out = Scratch();
    environment.err = Scratch();
    EXPECT_TRUE(environment.out && environment.err) << "no temporary file";
    if (!environment.out || !environment.err) return -1;
    const int status = RunJoinCommand(*line, environment);
    out = ReadAll(environment.out);
    err = ReadAll(environment.err);
    std::fclose(environment.out);
    std::fclose(environment.err);
    return status;
  }

  std::vector<std::string> Inserted() const {
    std::vector<std::string> inserted;
    for (const std::string& entry : word.Log()) {
      if (entry.rfind("InsertFile ", 0) == 0 && entry.find(" -> failed") == std::string::npos) {
        inserted.push_back(entry.substr(11));
      }
    }
    return inserted;
  }

  test::TempTree tree;
  test::RecordingWord word;
  JoinEnvironment environment;
  std::string a, c, e, src, dest, out, err;
};

TEST_F(JoinCommandTest, JoinsIntoATimestampedFileAndPrintsItsPath) {
  EXPECT_EQ(Run({src, dest}), kExitAllJoined);
  EXPECT_EQ(Inserted(), (Lines{a, c, e}));
  const Lines lines = SplitLines(out);
  ASSERT_EQ(lines.size(), 4u);  // one progress line per document, then the output
  EXPECT_EQ(lines[0], "[1/3] " + a);
  const std::string output = lines.back();
  EXPECT_EQ(output.rfind(dest + shell::kFolderSeparator + "All-One-Doc ", 0), 0u) << output;
  EXPECT_EQ(word.Saved().at(output), (Lines{a, c, e}));
  EXPECT_EQ(err, "");
}

TEST_F(JoinCommandTest, ListAndJoinHonourExcludeAndOrder) {
  const std::string b10 = tree.Write("src/T/b10.doc");
  const std::string b9 = tree.Write("src/T/b9.doc");
  EXPECT_EQ(Run({"--list", src}), kExitAllJoined);
  EXPECT_EQ(SplitLines(out), (Lines{a, c, b9, b10, e}));
  // A name without '/' is any file or folder name on the way; with one, the path below SOURCE.
  EXPECT_EQ(Run({"--list", "--exclude", "S", "--exclude", "T/b?.doc", src}), kExitAllJoined);
  EXPECT_EQ(SplitLines(out), (Lines{a, b10, e}));
  EXPECT_EQ(Run({"--list", "--exclude", "*.doc", src}), kExitAllJoined);
  EXPECT_EQ(SplitLines(out), (Lines{c}));
  EXPECT_EQ(Run({"--list", "--order", "name", src}), kExitAllJoined);
  EXPECT_EQ(SplitLines(out), (Lines{a, c, b9, b10, e}));
  // Oldest first.
  namespace fs = std::filesystem;
  const auto now = fs::file_time_type::clock::now();
  const Lines byAge = {e, b10, c, a, b9};
  for (std::size_t i = 0; i < byAge.size(); ++i) {
    fs::last_write_time(byAge[i], now - std::chrono::hours(10 - static_cast<int>(i)));
  }
  EXPECT_EQ(Run({"--list", "--order", "modified", src}), kExitAllJoined);
  EXPECT_EQ(SplitLines(out), byAge);

  EXPECT_EQ(Run({"-q", "--order=modified", "--exclude=*1*", "-o", tree.Path("dest/o.doc"), src}),
            kExitAllJoined);
  EXPECT_EQ(Inserted(), (Lines{e, c, a, b9}));
  EXPECT_EQ(Run({"-q", "--exclude", "*", src, dest}), kExitFailed);
  EXPECT_NE(err.find("that are not excluded"), std::string::npos) << err;
}

TEST_F(JoinCommandTest, QuietPrintsOnlyTheOutput) {
  EXPECT_EQ(Run({"-q", "--output", tree.Path("dest/out.doc"), src}), kExitAllJoined);
  EXPECT_EQ(out, tree.Path("dest/out.doc") + "\n");
  EXPECT_EQ(word.Saved().count(tree.Path("dest/out.doc")), 1u);
}

TEST_F(JoinCommandTest, NothingJoinedIsStatus2AndWritesNothing) {
  for (const std::string& path : {a, c, e})
    word.script().failInsert[path] = MakeError(1002, "password-protected");
  EXPECT_EQ(Run({"-q", src, dest}), kExitFailed);
  EXPECT_EQ(out, "");
  EXPECT_NE(err.find("no output was written"), std::string::npos);
  EXPECT_TRUE(word.Saved().empty());
}

TEST_F(JoinCommandTest, UnwritableOutputIsStatus2AndStopsAtTheFirstSave) {
  word.script().failEverySave = true;
  EXPECT_EQ(Run({"-q", src, dest}), kExitFailed);
  EXPECT_EQ(Inserted(), (Lines{a}));
  EXPECT_NE(err.find(": cannot be written: disk full"), std::string::npos) << err;
  EXPECT_NE(err.find("no output was written"), std::string::npos);
  EXPECT_EQ(out, "");
}

TEST_F(JoinCommandTest, MissingOrWrongSourceIsAClearError) {
  EXPECT_EQ(Run({"--list", tree.Path("nowhere")}), kExitFailed);
  EXPECT_EQ(err, "plenwick-join: " + tree.Path("nowhere") + ": no such SOURCE folder\n");
  EXPECT_EQ(out, "");
  EXPECT_EQ(Run({a, dest}), kExitFailed);
  EXPECT_NE(err.find(": not a folder"), std::string::npos);
}

TEST_F(JoinCommandTest, SourceWithoutDocumentsIsStatus2) {
  const std::string empty = tree.Folder("empty");
  tree.Write("empty/notes.txt");
  EXPECT_EQ(Run({empty, dest}), kExitFailed);
  EXPECT_NE(err.find("no Word documents"), std::string::npos);
  EXPECT_EQ(word.ApplicationsMade(), 0);
}

TEST_F(JoinCommandTest, OutputThatIsOneOfTheDocumentsIsRefused) {
  EXPECT_EQ(Run({"--output", c, src}), kExitFailed);
  EXPECT_NE(err.find("is one of the documents to join"), std::string::npos);
  EXPECT_EQ(word.ApplicationsMade(), 0);
  EXPECT_EQ(Run({"--output", dest, src}), kExitFailed);
  EXPECT_NE(err.find("is a folder"), std::string::npos);
}

TEST_F(JoinCommandTest, ExistingNameMovesOnInsteadOfReplacing) {
  EXPECT_EQ(Run({"-q", src, dest}), kExitAllJoined);
  const std::string first = SplitLines(out).back();
  tree.Write("dest/" + first.substr(dest.size() + 1), "someone else's");
  // The same second, or a year later on the same day and time: the name is taken either way.
  EXPECT_EQ(Run({"-q", src, dest}), kExitAllJoined);
  const std::string second = SplitLines(out).back();
  EXPECT_NE(second, first);
}

// A folder that may not be listed (made here by the file-system double: the tests run as root)
// is left out, as in the window, and the walk goes on below it; the terminal names the folder
// and the status is 1.
TEST_F(JoinCommandTest, FolderThatMayNotBeListedIsNamedAndTheRestIsJoinedWithStatus1) {
  test::FakeTree fake;
  const std::string deep = test::NativeSeparators(src + "/S/U/d.doc");
  fake.AddFile(src + "/a.doc").AddFolder(src + "/S").AddFile(src + "/S/c.doc").AddFile(deep);
  fake.Fail(src + "/S", test::FakeTree::Op::kFiles, errc::kPermissionDenied);
  environment.fileSystems = fake.Factory();
  EXPECT_EQ(Run({"--list", src}), kExitSomeNotJoined);
  EXPECT_EQ(out, a + "\n" + deep + "\n");
  EXPECT_NE(err.find(test::NativeSeparators(src + "/S/: cannot be read (")), std::string::npos)
      << err;
  EXPECT_EQ(Run({"-q", src, dest}), kExitSomeNotJoined);
  EXPECT_EQ(word.Saved().at(SplitLines(out).back()), (Lines{a, deep}));
}

TEST_F(JoinCommandTest, InterruptStopsBetweenDocumentsKeepingTheLastSave) {
  volatile std::sig_atomic_t interrupted = 0;
  environment.interrupted = &interrupted;
  word.script().onLog = [&interrupted](const std::string& entry) {
    if (entry.rfind("SaveAs ", 0) == 0) interrupted = 1;
  };
  EXPECT_EQ(Run({"-q", "--output", tree.Path("dest/out.doc"), src}), kExitInterrupted);
  EXPECT_EQ(word.Saved().at(tree.Path("dest/out.doc")), (Lines{a}));
  EXPECT_EQ(word.LiveObjects(), 0);
  EXPECT_NE(err.find("interrupted"), std::string::npos);
}

}  // namespace
}  // namespace plenwick::cli
