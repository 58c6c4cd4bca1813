// Choosing the source folder with "Browse...", through the window with a scripted picker, or by
// dropping a folder on the window.
#include <gtest/gtest.h>

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <string>
#include <vector>

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

// A file manager's drag of local items, delivered to the window as the platform would: the drag
// enters over `at` and is let go there.
class FolderDrop : public CmdBrowse {
 protected:
  void SetUp() override {
    CmdBrowse::SetUp();
    ASSERT_TRUE(scratch.isValid());
    ASSERT_TRUE(QDir(scratch.path()).mkpath(QStringLiteral("Docs/Sub")));
    ASSERT_TRUE(QDir(scratch.path()).mkpath(QStringLiteral("Other")));
    QFile file(Path("notes.docx"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QString Path(const char* name) const { return scratch.filePath(QString::fromUtf8(name)); }

  // Whether the window offered to take the drag, and whether it took the drop.
  struct Outcome {
    bool offered = false;
    bool taken = false;
  };
  Outcome Drop(const QList<QUrl>& urls, QWidget* over = nullptr) {
    QMimeData data;
    data.setUrls(urls);
    QWidget* target = over != nullptr ? over : form.get();
    const QPointF at = target == form.get() ? QPointF(300, 60) : QPointF(5, 5);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    Outcome outcome;
    outcome.offered = enter.isAccepted();
    QDropEvent drop(at, Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    outcome.taken = drop.isAccepted();
    QCoreApplication::processEvents();  // the folder is taken once the drop is over
    return outcome;
  }
  static QUrl Local(const QString& path) { return QUrl::fromLocalFile(path); }

  QTemporaryDir scratch;
};

TEST_F(FolderDrop, ADroppedFolderIsTakenAsIfChosenWithBrowse) {
  const Outcome outcome = Drop({Local(Path("Docs"))});
  EXPECT_TRUE(outcome.offered);
  EXPECT_TRUE(outcome.taken);
  const std::string folder = Path("Docs").toStdString() + "/";
  EXPECT_EQ(form->sourceFolder, folder);
  EXPECT_EQ(TextBox()->text().toStdString(), folder);
  ExpectSecondStage(true);
  EXPECT_EQ(yield.count, 1);
  EXPECT_TRUE(picker.calls.empty());
  EXPECT_TRUE(messages.shown.empty());
  // The next "Browse..." opens there, as if it had been chosen with it.
  EXPECT_EQ(picker.remembered,
            (std::vector<ScriptedPicker::Remembered>{
                {"Choose Folder Having Word Documents...", Path("Docs").toStdString()}}));
}

TEST_F(FolderDrop, OfSeveralItemsTheFirstFolderIsTaken) {
  Drop({QUrl(QStringLiteral("https://example.com/x")), Local(Path("notes.docx")),
        Local(Path("Other")), Local(Path("Docs"))});
  EXPECT_EQ(form->sourceFolder, Path("Other").toStdString() + "/");
  EXPECT_EQ(TextBox()->text().toStdString(), form->sourceFolder);
}

TEST_F(FolderDrop, FilesAndAddressesAreRefusedAndChangeNothing) {
  Browse("/srv/docs");
  for (const QList<QUrl>& urls :
       {QList<QUrl>{Local(Path("notes.docx"))}, QList<QUrl>{Local(Path("missing"))},
        QList<QUrl>{QUrl(QStringLiteral("https://example.com/folder/"))}, QList<QUrl>{}}) {
    const Outcome outcome = Drop(urls);
    EXPECT_FALSE(outcome.offered);
    EXPECT_FALSE(outcome.taken);
    EXPECT_EQ(form->sourceFolder, "/srv/docs/");
    EXPECT_EQ(TextBox()->text(), "/srv/docs/");
  }
  ExpectSecondStage(true);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_TRUE(picker.remembered.empty());
}

TEST_F(FolderDrop, AFolderDroppedOnAControlReachesTheWindow) {
  // A control that took the drag for itself (the text box takes dropped text) would swallow the
  // folder without a word.
  for (QWidget* control :
       {static_cast<QWidget*>(TextBox()), Control("Label1"), Control("Image2")}) {
    form->sourceFolder.clear();
    const Outcome outcome = Drop({Local(Path("Docs"))}, control);
    EXPECT_TRUE(outcome.offered) << control->objectName().toStdString();
    EXPECT_TRUE(outcome.taken) << control->objectName().toStdString();
    EXPECT_EQ(form->sourceFolder, Path("Docs").toStdString() + "/");
  }
}

TEST_F(FolderDrop, NothingIsTakenOnceTheProgramIsEnding) {
  QMimeData data;
  data.setUrls({Local(Path("Docs"))});
  QDropEvent drop(QPointF(300, 60), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &drop);
  form->close();  // before the queued drop is served
  QCoreApplication::processEvents();
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(form->sourceFolder, "");
}

}  // namespace
}  // namespace plenwick::testing
