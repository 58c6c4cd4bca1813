// "Join Documents" in the real window, offscreen: a scripted picker, the recording Word layer, and
// folders on disk.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/JoinWiring.h"
#include "join/JoinRunner.h"
#include "shell/qt/EventYield.h"
#include "shell/qt/QtFolderPicker.h"
#include "shell/qt/QtMessageBox.h"
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

// A whole run as a person makes it, offscreen: "Browse..." and "Join Documents" pressed with the
// mouse, both folders chosen in the real folder dialog, and every message read from the real
// message box and dismissed with its OK button. Only Word and, where a folder must be unreadable,
// the file system are test doubles.
class WholeRun : public ::testing::Test {
 protected:
  // What one message box said.
  struct Box {
    std::string title;
    std::string text;
    std::string details;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::vector<std::string> buttons;
  };

  void SetUp() override {
    services.applications = word.Factory();
    services.fileSystems = walk::DefaultFileSystems();
    services.clock = [] { return join::LocalDateTime{2026, 1, 9, 14, 5, 30}; };
    form = std::make_unique<app::Form1>(app::Form1Services{messages, opener, picker, yield});
    form->SetEndAction([] {});
    auto runner = std::make_shared<join::JoinRunner>(services);
    form->SetJoinHandler(
        [runner](app::Form1& window) { return runner->Run(window.sourceFolder, window); });
    form->ShowCentred();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    // Serves whatever modal window opens next: a folder dialog gets the next folder, a message
    // box is read and closed with OK.
    QObject::connect(&watcher, &QTimer::timeout, [this] { Serve(); });
    watcher.start(5);
  }
  void TearDown() override {
    watcher.stop();
    form.reset();
    QApplication::processEvents();
  }

  void Serve() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible() || modal == served) return;
    served = modal;
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      ASSERT_FALSE(folders.empty()) << "a folder dialog nobody expected";
      dialog->setDirectory(QString::fromStdString(folders.front()));
      folders.pop_front();
      auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
      ASSERT_NE(buttons, nullptr);
      QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      Box seen{box->windowTitle().toStdString(),
               box->text().toStdString(),
               box->informativeText().toStdString(),
               box->icon(),
               {}};
      QAbstractButton* ok = nullptr;
      for (QAbstractButton* button : box->buttons()) {
        seen.buttons.push_back(button->text().toStdString());
        if (box->buttonRole(button) == QMessageBox::AcceptRole) ok = button;
      }
      boxes.push_back(seen);
      ASSERT_NE(ok, nullptr);
      QTest::mouseClick(ok, Qt::LeftButton);
    }
  }

  // Chooses `source` with "Browse..." and joins into `destination`, with the mouse.
  void RunWith(const std::string& source, const std::string& destination) {
    folders = {source, destination};
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("CmdBrowse")), Qt::LeftButton);
    ASSERT_EQ(TextBox(), source + "/");
    auto* join = form->findChild<QPushButton*>(QStringLiteral("CmdSplit"));
    ASSERT_TRUE(join->isEnabled());
    QTest::mouseClick(join, Qt::LeftButton);
    EXPECT_TRUE(folders.empty()) << "a folder dialog did not open";
  }
  void UseFileSystem(walk::FileSystemFactory fileSystems) {
    services.fileSystems = std::move(fileSystems);
    auto runner = std::make_shared<join::JoinRunner>(services);
    form->SetJoinHandler(
        [runner](app::Form1& window) { return runner->Run(window.sourceFolder, window); });
  }
  std::string TextBox() const {
    return form->findChild<QLineEdit*>(QStringLiteral("txtvCFPath"))->text().toStdString();
  }
  std::string Counter() const {
    return form->findChild<QLabel*>(QStringLiteral("LblProgessCurrent"))->text().toStdString();
  }

  test::TempTree tree;
  test::RecordingWord word;
  join::JoinServices services;
  shell::QtMessageBox messages;
  RecordingOpener opener;
  shell::QtFolderPicker picker;
  TestYield yield;
  std::unique_ptr<app::Form1> form;
  QTimer watcher;
  QWidget* served = nullptr;
  std::deque<std::string> folders;
  std::vector<Box> boxes;
};

TEST_F(WholeRun, JoinsAndSaysWhereTheOutputIs) {
  const std::string a = tree.Write("src/a.doc");
  const std::string c = tree.Write("src/S/c.docx");
  tree.Write("src/notes.txt");
  const std::string dest = tree.Folder("dest");
  RunWith(tree.Path("src"), dest);
  EXPECT_EQ(word.Saved().at(dest + "/" + kOutput), (Lines{a, c}));
  EXPECT_EQ(Counter(), "(2) Documents Combined");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Plenwick");
  EXPECT_EQ(boxes[0].text, "Completed !");
  EXPECT_EQ(boxes[0].icon, QMessageBox::NoIcon);
  EXPECT_EQ(boxes[0].details, "The joined document is saved as:\n" + dest + "/" + kOutput);
  EXPECT_EQ(boxes[0].buttons, (Lines{"OK", "Open Folder"}));
  EXPECT_TRUE(opener.opened.empty());
}

TEST_F(WholeRun, AnUnreadableFolderIsPassedAndNamedAtTheEnd) {
  // The walk meets the tree through the file-system double, at the paths the dialog shows.
  const std::string src = tree.Folder("src");
  const std::string dest = tree.Folder("dest");
  test::FakeTree fake;
  fake.AddFile(src + "/a.doc")
      .AddFile(src + "/Locked/b.doc")
      .AddFile(src + "/T/U/deep.docx")
      .Fail(src + "/Locked", test::FakeTree::Op::kFiles, errc::kPermissionDenied);
  UseFileSystem(fake.Factory());
  RunWith(src, dest);
  EXPECT_EQ(word.Saved().at(dest + "/" + kOutput), (Lines{src + "/a.doc", src + "/T/U/deep.docx"}));
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Please Select Correct Store Folder.");
  EXPECT_EQ(boxes[0].icon, QMessageBox::Information);
  EXPECT_EQ(boxes[1].title, "Plenwick");
  EXPECT_EQ(boxes[1].text.rfind("Completed !", 0), 0u) << boxes[1].text;
  EXPECT_NE(boxes[1].text.find("1 folder could not be read"), std::string::npos) << boxes[1].text;
  EXPECT_NE(boxes[1].text.find(src + "/Locked/"), std::string::npos) << boxes[1].text;
}

TEST_F(WholeRun, ATreeWithoutDocumentsSaysSoUnderAWarning) {
  tree.Write("src/notes.txt");
  const std::string dest = tree.Folder("dest");
  RunWith(tree.Path("src"), dest);
  EXPECT_TRUE(word.Saved().empty());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "No documents were found in " + tree.Path("src") + "/.");
  EXPECT_EQ(boxes[0].icon, QMessageBox::Warning);
  EXPECT_EQ(boxes[0].buttons, (Lines{"OK"}));
}

TEST_F(WholeRun, ASourceFolderDeletedAfterItWasChosenSaysSoUnderAWarning) {
  const std::string src = tree.Folder("src");
  tree.Write("src/a.doc");
  const std::string dest = tree.Folder("dest");
  folders = {src, dest};
  QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("CmdBrowse")), Qt::LeftButton);
  ASSERT_EQ(TextBox(), src + "/");
  std::filesystem::remove_all(src);
  QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("CmdSplit")), Qt::LeftButton);
  EXPECT_TRUE(word.Saved().empty());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "No documents were found in " + src + "/.");
  EXPECT_EQ(boxes[0].icon, QMessageBox::Warning);
}

TEST_F(WholeRun, AnOutputThatCannotBeWrittenSaysWhyUnderAWarning) {
  tree.Write("src/a.doc");
  tree.Write("src/b.docx");
  const std::string dest = tree.Folder("dest");
  word.script().failEverySave = true;
  RunWith(tree.Path("src"), dest);
  EXPECT_TRUE(word.Saved().empty());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "The output could not be saved to " + dest + "/" + kOutput +
                               ": disk full\nNo output was written.");
  EXPECT_EQ(boxes[0].icon, QMessageBox::Warning);
  EXPECT_EQ(boxes[0].buttons, (Lines{"OK"}));
}

}  // namespace
}  // namespace plenwick::testing
