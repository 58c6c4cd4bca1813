// "Join Documents" driven through a recorded window, a recording Word layer and an in-memory tree.
#include "join/CmdSplitClick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "tests/join/FakeJoinHost.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/NativeSeparators.h"
#include "tests/support/RecordingWord.h"

namespace plenwick::join {
namespace {

using test::FakeJoinHost;
using test::FakeTree;
using test::NativeSeparators;
using test::RecordingWord;
using Events = std::vector<std::string>;

const std::string kOutput = "All-One-Doc 919 14-5-30.doc";

class CmdSplitClickTest : public ::testing::Test {
 protected:
  CmdSplitClickTest() {
    // Three documents and two other files; S and T are visited after the root's files.
    tree.AddFile("/r/a.doc").AddFile("/r/b.txt").AddFolder("/r/S").AddFolder("/r/T");
    tree.AddFile("/r/S/c.DOCX").AddFile("/r/S/d.rtf").AddFile("/r/T/e.doc");
    form.sourceFolder = NativeSeparators("/r/");
    services.applications = word.Factory();
    services.fileSystems = tree.Factory();
    services.walkerMessages = &walkerMessages;
    services.clock = [] { return LocalDateTime{2026, 1, 9, 14, 5, 30}; };
    services.pathTaken = [this](const std::string& path) {
      return existing.count(path) != 0 || word.Saved().count(path) != 0;
    };
    // Word's calls and the window's events in one sequence.
    word.script().onLog = [this](const std::string& entry) {
      host.events.push_back("word " + entry);
    };
  }

  Status Run() { return CmdSplit_Click(form, host, services); }

  // path is written with "/".
  std::vector<std::string> SavedIn(const std::string& path) const {
    const auto saved = word.Saved().find(NativeSeparators(path));
    return saved == word.Saved().end() ? std::vector<std::string>{} : saved->second;
  }

  FakeTree tree;
  test::RecordingMessages walkerMessages;
  RecordingWord word;
  FakeJoinHost host;
  JoinState form;
  JoinServices services;
  std::set<std::string> existing;
};

TEST_F(CmdSplitClickTest, JoinsEveryDocumentInWalkOrderSavingAfterEach) {
  host.picks = {NativeSeparators("/d")};
  ASSERT_TRUE(Run());
  const std::string out = NativeSeparators("/d/" + kOutput);
  const Events expected = {
      "Pick Choose Folder to Save...",
      "Yield",
      "Hide ImgRMsg",
      "Hide LblRMsg",
      "word CreateObject Word.Application",
      "word Documents",
      "word Add",
      "word ~Documents",
      // a.doc
      "Yield",
      "Yield",
      "word Range",
      "word Collapse 0",
      "word InsertFile /r/a.doc",
      "Caption LblProgessCurrent (1) Documents Combined",
      "word SaveAs " + out,
      // b.txt
      "Yield",
      // S/c.DOCX
      "Yield",
      "Yield",
      "word Range",
      "word ~Range",
      "word Collapse 0",
      "word InsertFile /r/S/c.DOCX",
      "Caption LblProgessCurrent (2) Documents Combined",
      "word SaveAs " + out,
      // S/d.rtf
      "Yield",
      // T/e.doc
      "Yield",
      "Yield",
      "word Range",
      "word ~Range",
      "word Collapse 0",
      "word InsertFile /r/T/e.doc",
      "Caption LblProgessCurrent (3) Documents Combined",
      "word SaveAs " + out,
      "word ~Range",
      "word ~Document",
      "word ~Application",
      "Message 0 Completed !",
      "Yield",
  };
  EXPECT_EQ(host.events, NativeSeparators(expected));
  EXPECT_EQ(SavedIn(out), NativeSeparators(Events{"/r/a.doc", "/r/S/c.DOCX", "/r/T/e.doc"}));
  EXPECT_EQ(word.LiveObjects(), 0);
  EXPECT_TRUE(walkerMessages.shown.empty());
}

TEST_F(CmdSplitClickTest, WalksTheSourceOnTheWindowsOneWalkerAndKeepsItsList) {
  host.picks = {NativeSeparators("/d"), NativeSeparators("/d")};
  ASSERT_TRUE(Run());
  ASSERT_TRUE(form.walker);
  const auto* walker = form.walker.get();
  EXPECT_EQ(tree.FileSystemsMade(), 1);
  EXPECT_EQ(tree.Calls().front(), NativeSeparators("FolderExists /r/"));
  EXPECT_EQ(
      Events(form.fileList->begin(), form.fileList->end()),
      NativeSeparators(Events{"/r/a.doc", "/r/b.txt", "/r/S/c.DOCX", "/r/S/d.rtf", "/r/T/e.doc"}));
  EXPECT_EQ(*form.fileList->Find("K5"), NativeSeparators("/r/T/e.doc"));
  // Terminate has let go of everything: the list is the run's and the window's alone.
  EXPECT_EQ(form.walker->fullFileNames()->Count(), 0u);

  const walk::SharedTexts first = form.fileList;
  ASSERT_TRUE(Run());
  EXPECT_EQ(form.walker.get(), walker);
  EXPECT_EQ(tree.FileSystemsMade(), 2);
  EXPECT_NE(form.fileList, first);
  EXPECT_EQ(first->Count(), 5u);
}

TEST_F(CmdSplitClickTest, DestinationGetsOneSeparatorOnly) {
  host.picks = {NativeSeparators("/")};
  ASSERT_TRUE(Run());
  EXPECT_EQ(word.Saved().count(NativeSeparators("/" + kOutput)), 1u);
  host.picks = {NativeSeparators("/d/")};
  ASSERT_TRUE(Run());
  EXPECT_EQ(word.Saved().count(NativeSeparators("/d/" + kOutput)), 1u);
}

TEST_F(CmdSplitClickTest, CancelledPickerChangesNothing) {
  ASSERT_TRUE(Run());
  EXPECT_EQ(host.events, NativeSeparators(Events{"Pick Choose Folder to Save..."}));
  EXPECT_FALSE(form.walker);
  EXPECT_EQ(form.fileList->Count(), 0u);
  EXPECT_TRUE(tree.Calls().empty());
}

TEST_F(CmdSplitClickTest, TreeWithoutDocumentsStartsWordButNeverSaves) {
  form.sourceFolder =
      NativeSeparators("/r/S/T-none/");  // no such folder: the walk collects nothing
  host.picks = {NativeSeparators("/d")};
  ASSERT_TRUE(Run());
  EXPECT_EQ(form.fileList->Count(), 0u);
  EXPECT_EQ(word.ApplicationsMade(), 1);
  EXPECT_TRUE(host.Captions().empty());
  EXPECT_TRUE(word.Saved().empty());
  // A run that wrote nothing says so, with a warning, never "Completed !".
  EXPECT_EQ(host.Messages(),
            NativeSeparators(Events{"Message 48 No documents were found in /r/S/T-none/."}));
}

TEST_F(CmdSplitClickTest, EmptySourceFolderJoinsNothing) {
  form.sourceFolder.clear();
  host.picks = {NativeSeparators("/d")};
  ASSERT_TRUE(Run());
  EXPECT_EQ(form.fileList->Count(), 0u);
  EXPECT_EQ(
      host.Messages(),
      NativeSeparators(Events{"Message 48 No documents were found: no source folder was chosen."}));
}

TEST_F(CmdSplitClickTest, WordThatCannotStartIsReportedOnce) {
  for (int failing = 0; failing < 3; ++failing) {
    RecordingWord broken;
    if (failing == 0) broken.script().failCreate = MakeError(errc::kUnavailable, "no Word");
    if (failing == 1) broken.script().failDocuments = MakeError(1, "no documents");
    if (failing == 2) broken.script().failAdd = MakeError(1, "no new document");
    services.applications = broken.Factory();
    host.events.clear();
    host.picks = {NativeSeparators("/d")};
    ASSERT_TRUE(Run());
    EXPECT_EQ(form.fileList->Count(), 5u);
    const Events tail(host.events.end() - 3, host.events.end());
    EXPECT_EQ(tail,
              NativeSeparators(Events{"Hide ImgRMsg", "Hide LblRMsg",
                                      "Message 64 MS Word NOT Installed or NOT Working Properly."}))
        << failing;
    EXPECT_EQ(broken.LiveObjects(), 0) << failing;
    EXPECT_TRUE(broken.Saved().empty());
    if (failing > 0) {
      EXPECT_EQ(broken.Log().back(), "~Application");
    }
  }
}

TEST_F(CmdSplitClickTest, WalkerThatCannotStartFailsTheHandler) {
  tree.FailCreation(errc::kPermissionDenied);
  host.picks = {NativeSeparators("/d")};
  const Status status = Run();
  ASSERT_FALSE(status);
  EXPECT_EQ(status.error().code, errc::kPermissionDenied);
  EXPECT_EQ(word.ApplicationsMade(), 0);
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(CmdSplitClickTest, PermissionFailureInTheTreeShowsTheWalkersMessageAndJoinsTheRest) {
  tree.Fail("/r/S", FakeTree::Op::kFiles, errc::kPermissionDenied);
  host.picks = {NativeSeparators("/d")};
  ASSERT_TRUE(Run());
  EXPECT_EQ(walkerMessages.shown,
            NativeSeparators(Events{"64 Please Select Correct Store Folder."}));
  // The walk goes on past S, and the end names it: its documents are not in the output.
  EXPECT_EQ(SavedIn("/d/" + kOutput), NativeSeparators(Events{"/r/a.doc", "/r/T/e.doc"}));
  EXPECT_EQ(host.Messages(),
            NativeSeparators(Events{
                "Message 0 Completed !\n\n1 folder could not be read; its documents were not "
                "joined:\n/r/S/: injected failure at /r/S/"}));
}

// A document that does not go in is not counted, costs no save, and is named at the end.
TEST_F(CmdSplitClickTest, DocumentsThatFailToGoInAreNotCountedAndAreReported) {
  word.script().failInsert[NativeSeparators("/r/S/c.DOCX")] =
      MakeError(1003, "damaged: no main document part");
  host.picks = {NativeSeparators("/d")};
  ASSERT_TRUE(Run());
  EXPECT_EQ(host.Captions(),
            NativeSeparators(Events{"Caption LblProgessCurrent (1) Documents Combined",
                                    "Caption LblProgessCurrent (2) Documents Combined"}));
  const auto saves = std::count_if(host.events.begin(), host.events.end(),
                                   [](const auto& e) { return e.rfind("word SaveAs", 0) == 0; });
  EXPECT_EQ(saves, 2);
  EXPECT_EQ(SavedIn("/d/" + kOutput), NativeSeparators(Events{"/r/a.doc", "/r/T/e.doc"}));
  EXPECT_EQ(host.Messages(),
            NativeSeparators(Events{"Message 0 Completed !\n\n1 document could not be joined:\n"
                                    "/r/S/c.DOCX: damaged: no main document part"}));
}

TEST_F(CmdSplitClickTest, WordLayerThatThrowsCostsOnlyThatDocument) {
  word.script().throwInsert = {NativeSeparators("/r/S/c.DOCX")};
  host.picks = {NativeSeparators("/d")};
  ASSERT_TRUE(Run());
  EXPECT_EQ(SavedIn("/d/" + kOutput), NativeSeparators(Events{"/r/a.doc", "/r/T/e.doc"}));
  EXPECT_EQ(host.Messages(),
            NativeSeparators(Events{"Message 0 Completed !\n\n1 document could not be joined:\n"
                                    "/r/S/c.DOCX: the engine threw"}));
  EXPECT_EQ(word.LiveObjects(), 0);
}

TEST_F(CmdSplitClickTest, ManyFailuresListTheFirstFewAndCountTheRest) {
  FakeTree many;
  for (int i = 1; i <= 8; ++i) {
    const std::string path = "/m/" + std::to_string(i) + ".doc";
    many.AddFile(path);
    word.script().failInsert[NativeSeparators(path)] = MakeError(1002, "password-protected");
  }
  services.fileSystems = many.Factory();
  form.sourceFolder = NativeSeparators("/m/");
  host.picks = {NativeSeparators("/d")};
  ASSERT_TRUE(Run());
  EXPECT_TRUE(host.Captions().empty());
  EXPECT_TRUE(word.Saved().empty());
  const Events messages = host.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0],
            NativeSeparators("Message 48 No document could be joined, so no output was written.\n\n"
                             "8 documents could not be joined:\n"
                             "/m/1.doc: password-protected\n/m/2.doc: password-protected\n"
                             "/m/3.doc: password-protected\n/m/4.doc: password-protected\n"
                             "/m/5.doc: password-protected\n... and 3 more."));
}

// Saves after the first may go on while the next document goes in: a failure is then learnt a
// document later, and must be booked and reported as one learnt at once.
class CmdSplitClickSaveTest : public CmdSplitClickTest, public ::testing::WithParamInterface<bool> {
 protected:
  CmdSplitClickSaveTest() { word.script().saveInBackground = GetParam(); }
};
INSTANTIATE_TEST_SUITE_P(AtOnceOrInTheBackground, CmdSplitClickSaveTest, ::testing::Bool());

// The first save (which claims the output's name) or a later one fails.
class CmdSplitClickRetryTest : public CmdSplitClickTest,
                               public ::testing::WithParamInterface<std::tuple<bool, int>> {
 protected:
  CmdSplitClickRetryTest() { word.script().saveInBackground = std::get<0>(GetParam()); }
};
INSTANTIATE_TEST_SUITE_P(AtOnceOrInTheBackground, CmdSplitClickRetryTest,
                         ::testing::Combine(::testing::Bool(), ::testing::Values(1, 2)));

TEST_P(CmdSplitClickRetryTest, FailedSaveIsRetriedAfterTheNextDocumentAndReported) {
  word.script().failSave = {std::get<1>(GetParam())};
  host.picks = {NativeSeparators("/d")};
  ASSERT_TRUE(Run());
  EXPECT_EQ(SavedIn("/d/" + kOutput),
            NativeSeparators(Events{"/r/a.doc", "/r/S/c.DOCX", "/r/T/e.doc"}));
  EXPECT_EQ(host.Messages(),
            NativeSeparators(
                Events{"Message 0 Completed !\n\nSaving the output /d/" + kOutput +
                       " failed 1 time (disk full); the last save succeeded, so it holds every "
                       "document joined."}));
}

TEST_P(CmdSplitClickSaveTest, LastSaveFailingSaysHowMuchTheOutputHolds) {
  word.script().failSave = {3};
  host.picks = {NativeSeparators("/d")};
  ASSERT_TRUE(Run());
  EXPECT_EQ(SavedIn("/d/" + kOutput), NativeSeparators(Events{"/r/a.doc", "/r/S/c.DOCX"}));
  EXPECT_EQ(
      host.Messages(),
      NativeSeparators(Events{"Message 48 The output could not be saved to /d/" + kOutput +
                              ": disk full\nIt holds only the 2 documents joined before its last "
                              "successful save."}));
}

TEST_F(CmdSplitClickTest, NoSaveEverSucceedingSaysNoOutputWasWritten) {
  word.script().failEverySave = true;
  host.picks = {NativeSeparators("/d")};
  ASSERT_TRUE(Run());
  EXPECT_EQ(host.Captions().size(), 3u);
  EXPECT_EQ(host.Messages(),
            NativeSeparators(Events{"Message 48 The output could not be saved to /d/" + kOutput +
                                    ": disk full\nNo output was written."}));
}

TEST_F(CmdSplitClickTest, FailedRangeUsesThePreviousDocumentsRange) {
  word.script().failRange = {2};
  host.picks = {NativeSeparators("/d")};
  ASSERT_TRUE(Run());
  EXPECT_EQ(SavedIn("/d/" + kOutput),
            NativeSeparators(Events{"/r/a.doc", "/r/S/c.DOCX", "/r/T/e.doc"}));
  EXPECT_EQ(host.Captions().size(), 3u);
  EXPECT_EQ(host.Messages(), NativeSeparators(Events{"Message 0 Completed !"}));
}

TEST_F(CmdSplitClickTest, FailedFirstRangeOrCollapseLeavesThatDocumentOut) {
  word.script().failRange = {1};
  word.script().failCollapse = {1};
  host.picks = {NativeSeparators("/d")};
  ASSERT_TRUE(Run());
  EXPECT_EQ(SavedIn("/d/" + kOutput), NativeSeparators(Events{"/r/T/e.doc"}));
  EXPECT_EQ(host.Captions(),
            NativeSeparators(Events{"Caption LblProgessCurrent (1) Documents Combined"}));
  EXPECT_EQ(host.Messages(),
            NativeSeparators(Events{"Message 0 Completed !\n\n2 documents could not be joined:\n"
                                    "/r/a.doc: range failed\n/r/S/c.DOCX: collapse failed"}));
}

TEST_F(CmdSplitClickTest, NeverReplacesAFileItDidNotWrite) {
  existing = {NativeSeparators("/d/" + kOutput),
              NativeSeparators("/d/All-One-Doc 919 14-5-30 (2).doc")};
  host.picks = {NativeSeparators("/d")};
  ASSERT_TRUE(Run());
  EXPECT_EQ(SavedIn("/d/All-One-Doc 919 14-5-30 (3).doc").size(), 3u);
  EXPECT_EQ(word.Saved().size(), 1u);
}

// "Browse..." served at the first yield: the walk, which comes after it, uses the new folder.
TEST_F(CmdSplitClickTest, SourceChosenAtTheFirstYieldIsTheOneWalked) {
  tree.AddFile("/q/x.doc");
  host.picks = {NativeSeparators("/d")};
  host.onYield = [this](int number) {
    if (number == 1) form.sourceFolder = NativeSeparators("/q/");
    return true;
  };
  ASSERT_TRUE(Run());
  EXPECT_EQ(SavedIn("/d/" + kOutput), NativeSeparators(Events{"/q/x.doc"}));
}

// A second "Join Documents" at a yield of the first runs to its end, with its own destination,
// name, Word objects, counter and list; the first goes on with what it had.
TEST_F(CmdSplitClickTest, NestedRunKeepsItsOwnEverything) {
  tree.AddFile("/q/x.doc");
  bool nested = false;
  host.picks = {NativeSeparators("/d"), NativeSeparators("/e")};
  host.onYield = [&](int number) {
    if (number == 2 && !nested) {  // the outer run is about to look at a.doc
      nested = true;
      form.sourceFolder = NativeSeparators("/q/");  // "Browse..." at an earlier yield
      EXPECT_TRUE(Run());
    }
    return true;
  };
  ASSERT_TRUE(Run());
  ASSERT_TRUE(nested);
  EXPECT_EQ(SavedIn("/e/" + kOutput), NativeSeparators(Events{"/q/x.doc"}));
  EXPECT_EQ(SavedIn("/d/" + kOutput),
            NativeSeparators(Events{"/r/a.doc", "/r/S/c.DOCX", "/r/T/e.doc"}));
  EXPECT_EQ(host.Captions(),
            NativeSeparators(Events{"Caption LblProgessCurrent (1) Documents Combined",
                                    "Caption LblProgessCurrent (1) Documents Combined",
                                    "Caption LblProgessCurrent (2) Documents Combined",
                                    "Caption LblProgessCurrent (3) Documents Combined"}));
  EXPECT_EQ(host.Messages(),
            NativeSeparators(Events{"Message 0 Completed !", "Message 0 Completed !"}));
  // The window's list is the nested run's; the walker is the same one.
  EXPECT_EQ(Events(form.fileList->begin(), form.fileList->end()),
            NativeSeparators(Events{"/q/x.doc"}));
  EXPECT_EQ(word.ApplicationsMade(), 2);
  EXPECT_EQ(word.LiveObjects(), 0);
}

// Two runs fixing their names in the same second for the same folder: the one that saves second
// finds the name taken and moves to "(2)", even though the name was free when it fixed it.
TEST_F(CmdSplitClickTest, NestedRunInTheSameSecondDoesNotShareTheOutput) {
  bool nested = false;
  host.picks = {NativeSeparators("/d"), NativeSeparators("/d")};
  host.onYield = [&](int number) {
    if (number == 3 && !nested) {  // the outer run's name is fixed, nothing saved yet
      nested = true;
      EXPECT_TRUE(Run());
    }
    return true;
  };
  ASSERT_TRUE(Run());
  EXPECT_EQ(SavedIn("/d/" + kOutput).size(), 3u);
  EXPECT_EQ(SavedIn("/d/All-One-Doc 919 14-5-30 (2).doc").size(), 3u);
  EXPECT_EQ(word.Saved().size(), 2u);
}

// Another process takes the name after the run's last look and before its first save lands: the
// save claims nothing that exists, and the run moves on to "(2)" for this and every later save.
TEST_F(CmdSplitClickTest, NameTakenAtTheFirstSaveMovesOnToTheNextName) {
  host.picks = {NativeSeparators("/d")};
  word.script().takenOnSave = {NativeSeparators("/d/" + kOutput)};
  ASSERT_TRUE(Run());
  EXPECT_EQ(SavedIn("/d/" + kOutput).size(), 0u);
  EXPECT_EQ(SavedIn("/d/All-One-Doc 919 14-5-30 (2).doc").size(), 3u);
  EXPECT_EQ(word.Saved().size(), 1u);
  EXPECT_NE(std::find(host.events.begin(), host.events.end(),
                      NativeSeparators("word SaveAs /d/All-One-Doc 919 14-5-30 (2).doc")),
            host.events.end());
}

// Closing the program at a yield: no further step, no message, every Word object let go, and the
// output as last saved.
TEST_F(CmdSplitClickTest, EndingTheProgramMidRunStopsAtOnceAndReleasesWord) {
  host.picks = {NativeSeparators("/d")};
  host.onYield = [](int number) { return number != 6; };  // before c.DOCX goes in
  ASSERT_TRUE(Run());
  EXPECT_EQ(word.LiveObjects(), 0);
  EXPECT_EQ(SavedIn("/d/" + kOutput), NativeSeparators(Events{"/r/a.doc"}));
  const Events tail(host.events.end() - 4, host.events.end());
  EXPECT_EQ(tail, NativeSeparators(
                      Events{"Yield", "word ~Range", "word ~Document", "word ~Application"}));
  for (const std::string& event : host.events)
    EXPECT_EQ(event.find("AFTER END"), std::string::npos);
}

TEST_F(CmdSplitClickTest, EndingTheProgramAtTheFirstYieldTouchesNothing) {
  host.picks = {NativeSeparators("/d")};
  host.onYield = [](int) { return false; };
  ASSERT_TRUE(Run());
  EXPECT_EQ(host.events, NativeSeparators(Events{"Pick Choose Folder to Save...", "Yield"}));
  EXPECT_TRUE(tree.Calls().empty());
  EXPECT_EQ(word.ApplicationsMade(), 0);
}

TEST_F(CmdSplitClickTest, EndingTheProgramInsideANestedRunEndsBothRuns) {
  bool nested = false;
  host.picks = {NativeSeparators("/d"), NativeSeparators("/e")};
  host.onYield = [&](int number) {
    if (number == 2 && !nested) {
      nested = true;
      EXPECT_TRUE(Run());
      return false;  // the nested run ended with the program; so does this one
    }
    return number < 8;
  };
  ASSERT_TRUE(Run());
  EXPECT_EQ(word.LiveObjects(), 0);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(SavedIn("/e/" + kOutput), NativeSeparators(Events{"/r/a.doc"}));
  EXPECT_TRUE(word.Saved().count(NativeSeparators("/d/" + kOutput)) == 0);
}

}  // namespace
}  // namespace plenwick::join
