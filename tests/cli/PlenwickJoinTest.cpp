// The plenwick-join program itself, run as a person or a script would run it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
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

// What a program prints, or "" when it cannot be run.
std::string Output(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
      text.append(buffer, got);
    }
    pclose(pipe);
  }
  return text;
}

TEST_F(PlenwickJoinTest, ContentsAndPdfListEveryDocumentAtThePageItStartsOn) {
  if (Output("command -v soffice").empty()) GTEST_SKIP() << "LibreOffice (soffice) is missing";
  if (Output("command -v pdftotext pdftohtml pdfinfo").empty()) {
    GTEST_SKIP() << "poppler-utils (pdftotext, pdftohtml, pdfinfo) are missing";
  }
  // Five documents of known lengths: they start on pages 2, 3, 6, 8 and 9 after the contents.
  const std::vector<std::pair<std::string, int>> documents = {
      {"01 Alpha", 1}, {"02 Bravo", 3}, {"03 Charlie", 2}, {"04 Delta", 1}, {"05 Echo", 2}};
  const std::vector<int> starts = {2, 3, 6, 8, 9};
  const std::string binder = tree.Folder("binder");
  for (const auto& [name, pages] : documents) {
    std::vector<std::string> paragraphs;
    for (int page = 1; page <= pages; ++page) {
      if (page > 1) paragraphs.push_back("\f");
      paragraphs.push_back(name + " page " + std::to_string(page));
    }
    ASSERT_TRUE(test::WriteMiniDocx(binder + "/" + name + ".docx", paragraphs));
  }
  const std::string docx = tree.Path("dest/binder.docx");
  const std::string pdf = tree.Path("dest/binder.pdf");
  const Ran ran = Run({"-q", "--contents", "--pdf", pdf, "-o", docx, binder});
  ASSERT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(SplitLines(ran.out), (Lines{docx, pdf}));

  const std::string quoted = test::ShellQuoted(pdf);
  const std::string info = Output("pdfinfo " + quoted);
  EXPECT_NE(info.find("Pages:           10\n"), std::string::npos) << info;
  const std::string contents = Output("pdftotext -layout -f 1 -l 1 " + quoted + " -");
  const std::string outline = Output("pdftohtml -xml -i -stdout " + quoted);
  for (std::size_t i = 0; i < documents.size(); ++i) {
    const std::string& title = documents[i].first;
    const std::string page = std::to_string(starts[i]);
    EXPECT_TRUE(std::regex_search(contents, std::regex(title + "[ .]+" + page + "\n")))
        << title << " should be listed at page " << page << " in\n"
        << contents;
    EXPECT_NE(outline.find("<item page=\"" + page + "\">" + title + "</item>"), std::string::npos)
        << outline;
  }
  std::ptrdiff_t items = 0;
  for (std::size_t at = outline.find("<item "); at != std::string::npos;
       at = outline.find("<item ", at + 1)) {
    ++items;
  }
  EXPECT_EQ(items, 5);
  // Numbers run through the result: the last page, Echo's second, is page 10 of 10.
  EXPECT_EQ(starts.back() + documents.back().second - 1, 10);
  // The saved document shows the numbers the rendering found, and asks nothing of its reader.
  const Result<std::string> text = test::DocumentText(docx);
  ASSERT_TRUE(text) << text.error().message;
  EXPECT_NE(text->find("01 Alpha2\n"), std::string::npos) << *text;
  EXPECT_NE(text->find("05 Echo9\n"), std::string::npos) << *text;
}

TEST_F(PlenwickJoinTest, PdfWithoutLibreOfficeOrTheOutlineWriterIsRefusedBeforeAnyWork) {
  const std::string fake = tree.Path("no-soffice.bin");
  const std::string command =
      "PLENWICK_SOFFICE=" + test::ShellQuoted(fake) + " " +
      test::ShellQuoted(std::string(PLENWICK_BINARY_DIR) + "/cli/plenwick-join") + " --pdf " +
      test::ShellQuoted(tree.Path("dest/o.pdf")) + " -o " +
      test::ShellQuoted(tree.Path("dest/o.docx")) + " " + test::ShellQuoted(src) + " 2>&1";
  const std::string said = Output(command);
  EXPECT_NE(said.find("plenwick-join: --pdf: PDF needs LibreOffice"), std::string::npos) << said;
  EXPECT_FALSE(fs::exists(tree.Path("dest/o.docx")));
  EXPECT_EQ(WEXITSTATUS(std::system((command + " >/dev/null").c_str())), 64);

  // The outline writer is loaded only for --pdf: without it, too, nothing is joined.
  const std::string program =
      test::ShellQuoted(std::string(PLENWICK_BINARY_DIR) + "/cli/plenwick-join");
  const std::string withoutModule =
      "PLENWICK_SOFFICE=" + program +
      " PLENWICK_PDF_OUTLINE_MODULE=" + test::ShellQuoted(tree.Path("none.so")) + " " + program +
      " --pdf " + test::ShellQuoted(tree.Path("dest/o.pdf")) + " -o " +
      test::ShellQuoted(tree.Path("dest/o.docx")) + " " + test::ShellQuoted(src) + " 2>&1";
  const std::string saidWithout = Output(withoutModule);
  EXPECT_NE(saidWithout.find("plenwick-join: --pdf: PDF needs the outline writer"),
            std::string::npos)
      << saidWithout;
  EXPECT_FALSE(fs::exists(tree.Path("dest/o.docx")));
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
