// The plenwick-join program itself, run as a person or a script would run it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/TempTree.h"
#include "tests/support/DocxCheck.h"
#include "tests/support/MiniDocx.h"

namespace plenwick::cli {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

struct Ran {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

Lines SplitLines(const std::string& text) {
  Lines lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class PlenwickJoinTest : public ::testing::Test {
 protected:
  PlenwickJoinTest() {
    tree.Folder("src/S");
    tree.Folder("src/T");
    EXPECT_TRUE(test::WriteMiniDocx(tree.Path("src/a.docx"), {"First document"}));
    tree.Write("src/b.txt", "not a document");
    EXPECT_TRUE(test::WriteMiniDocx(tree.Path("src/S/c.docx"), {"Second document"}));
    tree.Write("src/S/d.png", "\x89PNG");
    EXPECT_TRUE(test::WriteMiniDocx(tree.Path("src/T/e.docx"), {"Third document"}));
    src = tree.Path("src");
    dest = tree.Folder("dest");
  }

  Ran Run(const Lines& arguments) {
    std::string command =
        test::ShellQuoted(std::string(PLENWICK_BINARY_DIR) + "/cli/plenwick-join");
    for (const std::string& argument : arguments) command += " " + test::ShellQuoted(argument);
    const std::string out = tree.Path("stdout.txt");
    const std::string err = tree.Path("stderr.txt");
    command += " > " + test::ShellQuoted(out) + " 2> " + test::ShellQuoted(err) + " < /dev/null";
    const int status = std::system(command.c_str());
    return Ran{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(out), ReadText(err)};
  }

  test::TempTree tree;
  std::string src;
  std::string dest;
};

TEST_F(PlenwickJoinTest, ListPrintsTheDocumentsInWalkOrder) {
  const Ran ran = Run({"--list", src});
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(SplitLines(ran.out), (Lines{src + "/a.docx", src + "/S/c.docx", src + "/T/e.docx"}));
}

TEST_F(PlenwickJoinTest, ListWithNullEndsEachPathWithNulForNamesWithNewlines) {
  EXPECT_TRUE(test::WriteMiniDocx(tree.Path("src/S/two\nlines.docx"), {"Two lines"}));
  const Ran ran = Run({"--list", "--null", src});
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(ran.out, src + "/a.docx" + '\0' + src + "/S/c.docx" + '\0' + src +
                         "/S/two\nlines.docx" + '\0' + src + "/T/e.docx" + '\0');
  EXPECT_EQ(Run({"-l", "-0", src}).out, ran.out);
  const Ran alone = Run({"--null", src, dest});
  EXPECT_EQ(alone.status, 64);
  EXPECT_NE(alone.err.find("--null goes with --list"), std::string::npos) << alone.err;
}

TEST_F(PlenwickJoinTest, JoinsIntoOneCheckedOutput) {
  const Ran ran = Run({src, dest});
  ASSERT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(ran.err, "");
  const Lines lines = SplitLines(ran.out);
  ASSERT_EQ(lines.size(), 4u) << ran.out;  // not a terminal: one line per document, then the path
  EXPECT_EQ(lines[0], "[1/3] " + src + "/a.docx");
  const std::string output = lines.back();
  EXPECT_EQ(output.rfind(dest + "/All-One-Doc ", 0), 0u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dest), fs::directory_iterator()), 1);
  const Result<std::string> text = test::DocumentText(output);
  ASSERT_TRUE(text) << text.error().message;
  EXPECT_LT(text->find("First document"), text->find("Second document"));
  EXPECT_LT(text->find("Second document"), text->find("Third document"));
  EXPECT_NE(text->find("Third document"), std::string::npos);

  if (test::DocxCheckTool().empty()) GTEST_SKIP() << "../shared/tools/docx-check is not here";
  const std::string report = tree.Path("report.txt");
  EXPECT_EQ(test::RunDocxCheck(output, report), 0) << ReadText(report);
}

TEST_F(PlenwickJoinTest, TwoRunsStartedTogetherKeepTwoOutputs) {
  // Started in the same second, both pick the same timestamped name; each must end with a file
  // of its own. Several tries, as the two only sometimes meet at the save.
  const std::string binary =
      test::ShellQuoted(std::string(PLENWICK_BINARY_DIR) + "/cli/plenwick-join");
  for (int attempt = 0; attempt < 6; ++attempt) {
    const std::string into = tree.Folder("race" + std::to_string(attempt));
    std::string script;
    for (const char* run : {"1", "2"}) {
      const std::string out = test::ShellQuoted(tree.Path(std::string("out") + run));
      const std::string status = test::ShellQuoted(tree.Path(std::string("status") + run));
      script += "(" + binary + " -q " + test::ShellQuoted(src) + " " + test::ShellQuoted(into) +
                " > " + out + " 2>&1 < /dev/null; echo $? > " + status + ") & ";
    }
    script += "wait";
    ASSERT_EQ(std::system(("sh -c " + test::ShellQuoted(script)).c_str()), 0);
    const Lines first = SplitLines(ReadText(tree.Path("out1")));
    const Lines second = SplitLines(ReadText(tree.Path("out2")));
    EXPECT_EQ(ReadText(tree.Path("status1")), "0\n") << ReadText(tree.Path("out1"));
    EXPECT_EQ(ReadText(tree.Path("status2")), "0\n") << ReadText(tree.Path("out2"));
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(first[0], second[0]) << "both runs report the same output";
    EXPECT_EQ(std::distance(fs::directory_iterator(into), fs::directory_iterator()), 2)
        << "one output replaced the other";
    for (const std::string& output : {first[0], second[0]}) {
      const Result<std::string> text = test::DocumentText(output);
      ASSERT_TRUE(text) << output << ": " << text.error().message;
      EXPECT_NE(text->find("Third document"), std::string::npos) << output;
    }
  }
}

// Makes `levels` folders, each named `name`, one below the other under root, one call at a time
// (a path longer than PATH_MAX cannot be made in one), and moves file into the deepest. Returns
// the path the file then has.
std::string BuryDeep(const std::string& root, int levels, const std::string& name,
                     const std::string& file) {
  int folder = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::string path = root;
  for (int i = 0; i < levels && folder >= 0; ++i) {
    ::mkdirat(folder, name.c_str(), 0755);
    const int next = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(folder);
    folder = next;
    path += "/" + name;
  }
  if (folder < 0) return {};
  const std::string base = fs::path(file).filename().string();
  const bool moved = ::renameat(AT_FDCWD, file.c_str(), folder, base.c_str()) == 0;
  ::close(folder);
  return moved ? path + "/" + base : std::string();
}

TEST_F(PlenwickJoinTest, DocumentsDeeperThanAPathTheSystemTakesAreJoined) {
  // 24 folders of 200 bytes: the document's path is about 4,900 bytes, past PATH_MAX (4,096).
  const std::string name(200, 'd');
  ASSERT_TRUE(test::WriteMiniDocx(tree.Path("deep.docx"), {"Deep document"}));
  const std::string deep = BuryDeep(tree.Path("src/T"), 24, name, tree.Path("deep.docx"));
  ASSERT_FALSE(deep.empty());
  ASSERT_GT(deep.size(), 4096u);
  // A legacy document down there too: the converter gets it by a path it can open.
  std::ofstream(tree.Path("old.doc"), std::ios::binary)
      << "{\\rtf1\\ansi Deep legacy document\\par}";
  const std::string old = BuryDeep(tree.Path("src/T"), 22, name, tree.Path("old.doc"));
  ASSERT_FALSE(old.empty());

  const Ran list = Run({"--list", src});
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(SplitLines(list.out),
            (Lines{src + "/a.docx", src + "/S/c.docx", src + "/T/e.docx", old, deep}));

  const Ran ran = Run({"-q", src, dest});
  EXPECT_EQ(ran.status, 0) << ran.err;
  const Lines lines = SplitLines(ran.out);
  ASSERT_EQ(lines.size(), 1u) << ran.out;
  const Result<std::string> text = test::DocumentText(lines[0]);
  ASSERT_TRUE(text) << text.error().message;
  EXPECT_LT(text->find("Third document"), text->find("Deep document"));
  EXPECT_NE(text->find("Deep legacy document"), std::string::npos);
  // std::filesystem cannot remove what it cannot name; rm walks relative to each folder.
  EXPECT_EQ(std::system(("rm -rf " + test::ShellQuoted(tree.Path("src/T/" + name))).c_str()), 0);
}

TEST_F(PlenwickJoinTest, LinkedFoldersAreNotEnteredButNamed) {
  fs::create_directory_symlink(tree.Path("src/T"), tree.Path("src/S/link to T"));
  const Ran ran = Run({"-q", src, dest});
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(ran.err, "plenwick-join: " + src +
                         "/S/link to T: a link to a folder; not entered, so documents in it are "
                         "not joined\n");
  const Result<std::string> text = test::DocumentText(SplitLines(ran.out).back());
  ASSERT_TRUE(text);
  // e.docx once, from T itself.
  EXPECT_EQ(text->find("Third document"), text->rfind("Third document"));
}

TEST_F(PlenwickJoinTest, BrokenDocumentAmongGoodOnesIsStatus1) {
  const std::string broken =
      tree.Write("src/S/broken.docx", std::string("PK\x03\x04\x14\x00 truncated package", 24));
  const Ran ran = Run({"--quiet", "--output", tree.Path("dest/out.docx"), src});
  EXPECT_EQ(ran.status, 1);
  EXPECT_EQ(ran.out, tree.Path("dest/out.docx") + "\n");
  EXPECT_EQ(ran.err.rfind("plenwick-join: " + broken + ": not joined: ", 0), 0u) << ran.err;
  const Result<std::string> text = test::DocumentText(tree.Path("dest/out.docx"));
  ASSERT_TRUE(text);
  EXPECT_NE(text->find("Third document"), std::string::npos);
}

TEST_F(PlenwickJoinTest, UnwritableDestIsStatus2) {
  const std::string file = tree.Write("a-file", "x");
  for (const Lines& arguments : {Lines{"-q", src, file}, Lines{"-q", src, file + "/below"},
                                 Lines{"-q", "--output", file + "/below/out.docx", src}}) {
    const Ran ran = Run(arguments);
    EXPECT_EQ(ran.status, 2) << arguments.back();
    EXPECT_NE(ran.err.find(file), std::string::npos) << ran.err;
    EXPECT_EQ(ran.out, "");
  }
  EXPECT_EQ(ReadText(file), "x");
}

TEST_F(PlenwickJoinTest, MissingSourceIsStatus2) {
  const Ran ran = Run({tree.Path("nowhere"), dest});
  EXPECT_EQ(ran.status, 2);
  EXPECT_EQ(ran.err, "plenwick-join: " + tree.Path("nowhere") + ": no such SOURCE folder\n");
}

TEST_F(PlenwickJoinTest, BadUsageIsStatus64AndHelpAndVersionAnswer) {
  for (const Lines& bad : {Lines{}, Lines{src}, Lines{"--frobnicate", src, dest}}) {
    const Ran ran = Run(bad);
    EXPECT_EQ(ran.status, 64);
    EXPECT_NE(ran.err.find("Usage: plenwick-join"), std::string::npos);
  }
#ifndef _WIN32
  // Word's own join needs Word: asked for here, it is refused before anything is searched.
  const Ran word = Run({"--engine", "word", src, dest});
  EXPECT_EQ(word.status, 64);
  EXPECT_EQ(word.err,
            "plenwick-join: --engine word: Microsoft Word automation is available only on "
            "Windows\n");
#endif
  const Ran version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "plenwick-join 2.03\n");
  const Ran help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Exit status"), std::string::npos);
}

}  // namespace
}  // namespace plenwick::cli
