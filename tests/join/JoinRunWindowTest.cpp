// "Join Documents" in the real window, offscreen: a scripted picker, the recording Word layer, and
// folders on disk.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/JoinWiring.h"
#include "join/JoinRunner.h"
#include "tests/app/Form1Fixture.h"
#include "tests/cli/TempTree.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/MiniDocx.h"
#include "tests/support/RecordingWord.h"
#include "walk/StdFileSystem.h"

namespace plenwick::testing {
namespace {

using Lines = std::vector<std::string>;
const std::string kOutput = "All-One-Doc 919 14-5-30.doc";

class JoinRunWindow : public Form1Fixture {
 protected:
  void SetUp() override {
    Form1Fixture::SetUp();
    form->SetEndAction([this] { ++ended; });
    a = tree.Write("src/a.doc");
    tree.Write("src/b.txt");
    c = tree.Write("src/S/c.docx");
    tree.Write("src/S/d.rtf");
    e = tree.Write("src/T/e.doc");
    dest = tree.Folder("dest");
    services.applications = word.Factory();
    services.fileSystems = walk::DefaultFileSystems();
    services.clock = [] { return join::LocalDateTime{2026, 1, 9, 14, 5, 30}; };
    Wire();
    ShowAndActivate();
    picker.Answer(tree.Path("src"));
    ASSERT_TRUE(form->CmdBrowse_Click().ok());
  }

  void Wire() {
    auto runner = std::make_shared<join::JoinRunner>(services);
    form->SetJoinHandler(
        [runner](app::Form1& window) { return runner->Run(window.sourceFolder, window); });
  }

  void ClickJoin() { Button("CmdSplit")->click(); }
  std::string Counter() const { return Label("LblProgessCurrent")->text().toStdString(); }
  Lines SavedIn(const std::string& path) const {
    const auto saved = word.Saved().find(path);
    return saved == word.Saved().end() ? Lines{} : saved->second;
  }
  Lines MessageTexts() const {
    Lines texts;
    for (const auto& message : messages.shown) {
      texts.push_back(std::to_string(message.style) + " " + message.text);
    }
    return texts;
  }

  test::TempTree tree;
  test::RecordingWord word;
  join::JoinServices services;
  std::string a, c, e, dest;
};

TEST_F(JoinRunWindow, JoinsWithALiveCounterAndEndsWithCompleted) {
  Lines counterAtYields;
  yield.during = [&] { counterAtYields.push_back(Counter()); };
  picker.Answer(dest);
  ClickJoin();
  EXPECT_EQ(picker.calls.back().title, "Choose Folder to Save...");
  EXPECT_EQ(picker.calls.back().owner, static_cast<QWidget*>(form.get()));
  EXPECT_EQ(SavedIn(dest + "/" + kOutput), (Lines{a, c, e}));
  EXPECT_EQ(Counter(), "(3) Documents Combined");
  EXPECT_FALSE(Label("ImgRMsg")->isVisible());
  EXPECT_FALSE(Label("LblRMsg")->isVisible());
  EXPECT_TRUE(Label("LblProgessCurrent")->isVisible());
  EXPECT_TRUE(Button("CmdSplit")->isEnabled());
  EXPECT_EQ(MessageTexts(), (Lines{"0 Completed !"}));
  // The closing box says where the output is and offers its folder, which stays closed unless
  // asked.
  ASSERT_EQ(messages.actions.size(), 1u);
  EXPECT_EQ(messages.actions[0].details,
            "The joined document is saved as:\n" + dest + "/" + kOutput);
  EXPECT_EQ(messages.actions[0].caption, "Open Folder");
  EXPECT_TRUE(opener.opened.empty());
  EXPECT_EQ(word.LiveObjects(), 0);
  // The counter keeps its earlier text until the first document is in, then counts.
  ASSERT_GE(counterAtYields.size(), 4u);
  EXPECT_EQ(counterAtYields[0], "(0) Documents Combined");
  EXPECT_EQ(counterAtYields[3], "(1) Documents Combined");
  EXPECT_EQ(counterAtYields.back(), "(3) Documents Combined");
}

TEST_F(JoinRunWindow, OpenFolderOpensTheOutputsFolderAndSaysWhenItCannot) {
  messages.pressAction = true;
  picker.Answer(dest);
  ClickJoin();
  ASSERT_EQ(opener.opened.size(), 1u);
  EXPECT_EQ(opener.opened[0], dest + "/");
  opener.failure = MakeError(errc::kGeneric, "no program is set up to open it");
  picker.Answer(dest);
  ClickJoin();
  ASSERT_EQ(messages.shown.size(), 3u);
  EXPECT_EQ(messages.shown[2].style, shell::kMsgWarning);
  EXPECT_EQ(messages.shown[2].text,
            "The folder could not be opened: no program is set up to open "
            "it.\n\nIts address is:\n" +
                dest + "/");
}

// A run that wrote nothing used to end with "Completed !" all the same.
TEST_F(JoinRunWindow, RunsThatWriteNothingSayWhatHappenedUnderAWarning) {
  const std::string empty = tree.Folder("empty");
  picker.Answer(empty);
  ASSERT_TRUE(form->CmdBrowse_Click().ok());
  picker.Answer(dest);
  ClickJoin();
  picker.Answer(tree.Path("src"));
  ASSERT_TRUE(form->CmdBrowse_Click().ok());
  word.script().failEverySave = true;
  picker.Answer(dest);
  ClickJoin();
  EXPECT_EQ(MessageTexts(), (Lines{"48 No documents were found in " + empty + "/.",
                                   "48 The output could not be saved to " + dest + "/" + kOutput +
                                       ": disk full\nNo output was written."}));
  EXPECT_TRUE(messages.actions.empty());
}

TEST_F(JoinRunWindow, CancelledDestinationLeavesThePromptShown) {
  ClickJoin();
  EXPECT_TRUE(Label("ImgRMsg")->isVisible());
  EXPECT_TRUE(Label("LblRMsg")->isVisible());
  EXPECT_EQ(word.ApplicationsMade(), 0);
  EXPECT_TRUE(messages.shown.empty());
}

// The walker's permission message has no window of its own: it is the window's message box.
TEST_F(JoinRunWindow, WalkersPermissionMessageUsesTheWindowsMessageBox) {
  test::FakeTree fake;
  fake.AddFile("/r/a.doc")
      .AddFolder("/r/S")
      .Fail("/r/S", test::FakeTree::Op::kFiles, errc::kPermissionDenied);
  services.fileSystems = fake.Factory();
  Wire();
  form->sourceFolder = "/r/";
  picker.Answer(dest);
  ClickJoin();
  EXPECT_EQ(MessageTexts(),
            (Lines{"64 Please Select Correct Store Folder.",
                   "0 Completed !\n\n1 folder could not be read; its documents were "
                   "not joined:\n/r/S/: injected failure at /r/S/"}));
  EXPECT_EQ(SavedIn(dest + "/" + kOutput), (Lines{"/r/a.doc"}));
}

TEST_F(JoinRunWindow, ClickDuringARunStartsANestedRunThatFinishesFirst) {
  const std::string other = tree.Folder("other");
  int turn = 0;
  yield.during = [&] {
    if (++turn == 2) {  // the first run is about to look at a.doc
      picker.Answer(other);
      ClickJoin();
    }
  };
  picker.Answer(dest);
  ClickJoin();
  EXPECT_EQ(SavedIn(dest + "/" + kOutput), (Lines{a, c, e}));
  EXPECT_EQ(SavedIn(other + "/" + kOutput), (Lines{a, c, e}));
  EXPECT_EQ(MessageTexts(), (Lines{"0 Completed !", "0 Completed !"}));
  EXPECT_EQ(word.ApplicationsMade(), 2);
  EXPECT_EQ(word.LiveObjects(), 0);
}

TEST_F(JoinRunWindow, ClosingTheWindowMidRunStopsReleasesWordAndEndsTheProgram) {
  int turn = 0;
  yield.during = [&] {
    if (++turn == 5) form->close();  // after a.doc is in and saved, before c.docx
  };
  picker.Answer(dest);
  ClickJoin();
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(word.LiveObjects(), 0);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(SavedIn(dest + "/" + kOutput), (Lines{a}));
  const Lines log = word.Log();
  EXPECT_EQ(Lines(log.end() - 3, log.end()), (Lines{"~Range", "~Document", "~Application"}));
}

TEST_F(JoinRunWindow, CloseThisApplicationMidRunStopsAsWell) {
  int turn = 0;
  yield.during = [&] {
    // before a.doc goes in
    if (++turn == 3) {
      EXPECT_TRUE(form->LblClose_Click().ok());
    }
  };
  picker.Answer(dest);
  ClickJoin();
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(word.LiveObjects(), 0);
  EXPECT_TRUE(word.Saved().empty());
  EXPECT_TRUE(messages.shown.empty());
}

// The program's own wiring: the real engine and file system behind the button.
TEST_F(JoinRunWindow, ProgramsWiringJoinsRealDocuments) {
  const test::TempTree real;
  real.Folder("src/S");
  ASSERT_TRUE(test::WriteMiniDocx(real.Path("src/one.docx"), {"First document"}));
  ASSERT_TRUE(test::WriteMiniDocx(real.Path("src/S/two.docx"), {"Second document"}));
  real.Write("src/notes.txt");
  const std::string out = real.Folder("out");
  app::WireJoinRun(*form);
  picker.Answer(real.Path("src"));
  ASSERT_TRUE(form->CmdBrowse_Click().ok());
  picker.Answer(out);
  ClickJoin();
  EXPECT_EQ(MessageTexts(), (Lines{"0 Completed !"}));
  EXPECT_EQ(Counter(), "(2) Documents Combined");
  std::vector<std::string> outputs;
  for (const auto& entry : std::filesystem::directory_iterator(out)) {
    outputs.push_back(entry.path().string());
  }
  ASSERT_EQ(outputs.size(), 1u);
  const Result<std::string> text = test::DocumentText(outputs[0]);
  ASSERT_TRUE(text);
  EXPECT_LT(text->find("First document"), text->find("Second document"));
  EXPECT_NE(text->find("Second document"), std::string::npos);
}

}  // namespace
}  // namespace plenwick::testing
