// "Join Documents" with the real Word engine and the real file system.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "join/CmdSplitClick.h"
#include "shell/FolderPath.h"
#include "tests/cli/TempTree.h"
#include "tests/join/FakeJoinHost.h"
#include "tests/support/DocxCheck.h"
#include "tests/support/MiniDocx.h"
#include "walk/StdFileSystem.h"
#include "word/WordApi.h"

namespace plenwick::join {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(platform::PathFromUtf8(folder))) {
    names.push_back(test::Utf8(entry.path().filename()));
  }
  return names;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(platform::PathFromUtf8(path));
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class JoinEndToEndTest : public ::testing::Test {
 protected:
  JoinEndToEndTest() {
    // Three documents and two other files; the walk visits the root's files, then S, then T.
    tree.Folder("src/S");
    tree.Folder("src/T");
    EXPECT_TRUE(test::WriteMiniDocx(tree.Path("src/a.docx"), {"First document"}));
    tree.Write("src/b.txt", "not a document");
    EXPECT_TRUE(test::WriteMiniDocx(tree.Path("src/S/c.docx"), {"Second document", "more"}));
    tree.Write("src/S/d.png", "\x89PNG");
    EXPECT_TRUE(test::WriteMiniDocx(tree.Path("src/T/e.docx"), {"Third document"}));
    dest = tree.Folder("dest");
    form.sourceFolder = tree.Path("src") + shell::kFolderSeparator;
    services.applications = word::CreateObject;
    services.fileSystems = walk::DefaultFileSystems();
    services.walkerMessages = &walkerMessages;
    host.picks = {dest};
  }

  test::TempTree tree;
  std::string dest;
  test::FakeJoinHost host;
  test::RecordingMessages walkerMessages;
  JoinState form;
  JoinServices services;
};

TEST_F(JoinEndToEndTest, ThreeDocumentsGoIntoOneOutputInWalkOrder) {
  ASSERT_TRUE(CmdSplit_Click(form, host, services));
  EXPECT_EQ(host.Messages(), (std::vector<std::string>{"Message 0 Completed !"}));
  EXPECT_EQ(host.Captions().back(), "Caption LblProgessCurrent (3) Documents Combined");
  const std::vector<std::string> outputs = FilesIn(dest);
  ASSERT_EQ(outputs.size(), 1u);  // nothing temporary is left beside the output
  EXPECT_EQ(outputs[0].rfind("All-One-Doc ", 0), 0u);
  EXPECT_TRUE(outputs[0].ends_with(".doc"));
  const std::string output = dest + shell::kFolderSeparator + outputs[0];

  const Result<std::string> text = test::DocumentText(output);
  ASSERT_TRUE(text) << text.error().message;
  const auto first = text->find("First document");
  const auto second = text->find("Second document");
  const auto third = text->find("Third document");
  ASSERT_NE(first, std::string::npos) << *text;
  ASSERT_NE(second, std::string::npos) << *text;
  ASSERT_NE(third, std::string::npos) << *text;
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);

#ifdef _WIN32
  GTEST_SKIP() << "docx-check is a Linux program; tests/wine checks the Windows build's output";
#endif
  if (test::DocxCheckTool().empty()) GTEST_SKIP() << "../shared/tools/docx-check is not here";
  const std::string report = tree.Path("report.txt");
  EXPECT_EQ(test::RunDocxCheck(output, report), 0) << ReadText(report);
}

// The program ends after the second document went in: the output holds what was last saved and
// nothing else is left in the destination.
TEST_F(JoinEndToEndTest, EndingMidRunLeavesTheLastSaveAndNothingElse) {
  int documentsIn = 0;
  host.onYield = [&documentsIn, this](int) {
    documentsIn = static_cast<int>(host.Captions().size());
    return documentsIn < 2;
  };
  ASSERT_TRUE(CmdSplit_Click(form, host, services));
  EXPECT_TRUE(host.Messages().empty());
  const std::vector<std::string> outputs = FilesIn(dest);
  ASSERT_EQ(outputs.size(), 1u);
  const Result<std::string> text = test::DocumentText(dest + shell::kFolderSeparator + outputs[0]);
  ASSERT_TRUE(text);
  EXPECT_NE(text->find("Second document"), std::string::npos);
  EXPECT_EQ(text->find("Third document"), std::string::npos);
}

TEST_F(JoinEndToEndTest, BrokenDocumentIsLeftOutAndNamed) {
  const std::string broken =
      tree.Write("src/S/broken.docx", std::string("PK\x03\x04\x14\x00 truncated package", 24));
  ASSERT_TRUE(CmdSplit_Click(form, host, services));
  const std::vector<std::string> messages = host.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind(
                "Message 0 Completed !\n\n1 document could not be joined:\n" + broken + ": ", 0),
            0u)
      << messages[0];
  EXPECT_EQ(host.Captions().back(), "Caption LblProgessCurrent (3) Documents Combined");
  ASSERT_EQ(FilesIn(dest).size(), 1u);
}

TEST_F(JoinEndToEndTest, LinkedFoldersAreNamedInTheCompletionMessage) {
#ifdef _WIN32
  GTEST_SKIP() << "wine has no symbolic links";
#endif
  fs::create_directory_symlink(tree.Path("src/T"), tree.Path("src/S/link to T"));
  ASSERT_TRUE(CmdSplit_Click(form, host, services));
  const std::vector<std::string> messages = host.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0],
            "Message 0 Completed !\n\n1 linked folder was not entered (links to folders are not "
            "followed), so documents in it were not joined:\n" +
                tree.Path("src") + "/S/link to T");
  EXPECT_EQ(host.Captions().back(), "Caption LblProgessCurrent (3) Documents Combined");
}

}  // namespace
}  // namespace plenwick::join
