// Choosing the source folder with "Browse...", through the window with a scripted picker.
#include <gtest/gtest.h>

#include <QTest>
#include <string>

#include "tests/app/Form1Fixture.h"

namespace plenwick::testing {
namespace {

class CmdBrowse : public Form1Fixture {
 protected:
  void Browse(std::string answer) {
    picker.Answer(std::move(answer));
    QTest::mouseClick(Button("CmdBrowse"), Qt::LeftButton);
  }
  // The five controls of the second stage, and whether "Join Documents" takes clicks.
  void ExpectSecondStage(bool shown) {
    for (const char* name :
         {"LblStatusHead", "LblProgessCurrent", "ImgStatusArrow", "ImgRMsg", "LblRMsg"}) {
      EXPECT_EQ(Control(name)->isVisible(), shown) << name;
    }
    EXPECT_EQ(Button("CmdSplit")->isEnabled(), shown);
  }
  void SetUp() override {
    Form1Fixture::SetUp();
    ShowAndActivate();
  }
};

TEST_F(CmdBrowse, AsksWithItsTitleOwnedByTheWindow) {
  Browse("/srv/docs");
  ASSERT_EQ(picker.calls.size(), 1u);
  EXPECT_EQ(picker.calls[0].title, "Choose Folder Having Word Documents...");
  EXPECT_EQ(picker.calls[0].owner, static_cast<QWidget*>(form.get()));
}

TEST_F(CmdBrowse, ACancelledFirstSelectionChangesNothing) {
  Browse("");
  EXPECT_EQ(form->sourceFolder, "");
  EXPECT_TRUE(TextBox()->text().isEmpty());
  ExpectSecondStage(false);
  EXPECT_EQ(yield.count, 0);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(CmdBrowse, AnOrdinaryFolderGetsItsSeparatorAndOpensTheSecondStage) {
  Browse("/home/anna/Docs");
  EXPECT_EQ(form->sourceFolder, "/home/anna/Docs/");
  EXPECT_EQ(TextBox()->text(), "/home/anna/Docs/");
  ExpectSecondStage(true);
  EXPECT_EQ(yield.count, 1);
  EXPECT_EQ(Label("LblProgessCurrent")->text(), "(0) Documents Combined");
}

TEST_F(CmdBrowse, TheRootKeepsItsOneSeparator) {
  Browse("/");
  EXPECT_EQ(form->sourceFolder, "/");
  EXPECT_EQ(TextBox()->text(), "/");
  ExpectSecondStage(true);
}

TEST_F(CmdBrowse, UnicodeNamesArriveUnchanged) {
  const std::string folder = "/tmp/Документы ü 文档 \xF0\x9F\x93\x81";
  Browse(folder);
  EXPECT_EQ(form->sourceFolder, folder + "/");
  EXPECT_EQ(TextBox()->text().toStdString(), folder + "/");
}

TEST_F(CmdBrowse, ACancelAfterASuccessKeepsTheEarlierChoiceInForce) {
  // Emptying the source while the text box still showed it made the next join silently join
  // nothing: the window must say what it will do.
  Browse("/srv/docs");
  Browse("");
  EXPECT_EQ(form->sourceFolder, "/srv/docs/");
  EXPECT_EQ(TextBox()->text(), "/srv/docs/");
  ExpectSecondStage(true);
}

TEST_F(CmdBrowse, TheSameFolderTwiceGivesTheSameState) {
  Browse("/srv/docs");
  Browse("/srv/docs");
  EXPECT_EQ(form->sourceFolder, "/srv/docs/");
  EXPECT_EQ(TextBox()->text(), "/srv/docs/");
  ExpectSecondStage(true);
}

TEST_F(CmdBrowse, ChoosingAfterAJoinRunShowsThePromptAgainAndKeepsTheCount) {
  Browse("/srv/docs");
  // What a join run leaves behind, through the window's interface for the run.
  join::JoinHost& host = *form;
  host.SetVisible(join::Control::ImgRMsg, false);
  host.SetVisible(join::Control::LblRMsg, false);
  host.SetCaption(join::Control::LblProgessCurrent, "(3) Documents Combined");
  EXPECT_FALSE(Control("ImgRMsg")->isVisible());
  EXPECT_FALSE(Control("LblRMsg")->isVisible());

  Browse("/srv/other");
  EXPECT_EQ(form->sourceFolder, "/srv/other/");
  EXPECT_EQ(TextBox()->text(), "/srv/other/");
  ExpectSecondStage(true);
  EXPECT_EQ(Label("LblProgessCurrent")->text(), "(3) Documents Combined");
}

TEST_F(CmdBrowse, ASelectionCancelledDuringTheYieldKeepsTheOneMadeBefore) {
  // A second "Browse..." click is served inside the first selection's yield and cancelled.
  yield.during = [this] {
    yield.during = nullptr;
    ASSERT_TRUE(form->CmdBrowse_Click().ok());
  };
  picker.Answer("/srv/docs");
  picker.Answer("");
  ASSERT_TRUE(form->CmdBrowse_Click().ok());
  EXPECT_EQ(picker.calls.size(), 2u);
  EXPECT_EQ(form->sourceFolder, "/srv/docs/");
  EXPECT_EQ(TextBox()->text(), "/srv/docs/");
  ExpectSecondStage(true);
}

TEST_F(CmdBrowse, ASelectionMadeDuringTheYieldIsTheOneShown) {
  yield.during = [this] {
    yield.during = nullptr;
    picker.Answer("/srv/second");
    ASSERT_TRUE(form->CmdBrowse_Click().ok());
  };
  picker.Answer("/srv/first");
  ASSERT_TRUE(form->CmdBrowse_Click().ok());
  EXPECT_EQ(form->sourceFolder, "/srv/second/");
  EXPECT_EQ(TextBox()->text(), "/srv/second/");
}

TEST_F(CmdBrowse, ClosingDuringTheYieldLeavesTheWindowAlone) {
  yield.during = [this] {
    yield.during = nullptr;
    QTest::mouseClick(Label("LblClose"), Qt::LeftButton);
  };
  Browse("/srv/docs");
  EXPECT_EQ(ended, 1);
  EXPECT_TRUE(TextBox()->text().isEmpty());
  EXPECT_FALSE(Button("CmdSplit")->isEnabled());
  EXPECT_FALSE(form->isVisible());
}

TEST_F(CmdBrowse, APickerThatFailsCountsAsACancel) {
  class ThrowingPicker final : public shell::FolderPickerService {
   public:
    std::string Pick(shell::WindowHandle, const std::string&, const std::string&) override {
      throw std::runtime_error("no dialog");
    }
  } throwing;
  app::Form1 other(app::Form1Services{messages, opener, throwing, yield});
  ASSERT_TRUE(other.CmdBrowse_Click().ok());
  EXPECT_EQ(other.sourceFolder, "");
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace plenwick::testing
