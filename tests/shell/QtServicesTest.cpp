// The Qt implementations of the shell services, driven offscreen: the real folder dialog, the
// message box, the yield and the addresses handed to the desktop.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "shell/qt/DesktopShellOpen.h"
#include "shell/qt/EventYield.h"
#include "shell/qt/QtFolderPicker.h"
#include "shell/qt/QtMessageBox.h"
#include "shell/qt/QtSettingsStore.h"
#include "shell/qt/XdgOpen.h"

namespace plenwick::shell {
namespace {

// Finds the open widget of type T named `name` among the top-level widgets.
template <typename T>
T* FindTopLevel(const char* name) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* found = qobject_cast<T*>(widget);
        found && found->isVisible() && found->objectName() == QLatin1String(name)) {
      return found;
    }
  }
  return nullptr;
}

// Runs `act` on the folder dialog once it is open (or fails after 5 s and cancels nothing).
void WhenDialogOpens(std::function<void(QFileDialog&)> act) {
  auto* timer = new QTimer(qApp);
  auto started = std::make_shared<QElapsedTimer>();
  started->start();
  QObject::connect(timer, &QTimer::timeout, timer, [timer, act, started] {
    if (QFileDialog* dialog = FindTopLevel<QFileDialog>(kFolderDialogName)) {
      timer->stop();
      timer->deleteLater();
      act(*dialog);
    } else if (started->elapsed() > 5000) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "the folder dialog did not open";
    }
  });
  timer->start(10);
}

std::string Utf8(const QString& text) {
  return text.toStdString();
}

// Presses the dialog's accept button, as a user does.
void PressAccept(QFileDialog& dialog) {
  auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
  ASSERT_NE(buttons, nullptr);
  QPushButton* accept = buttons->button(QDialogButtonBox::Open);
  ASSERT_NE(accept, nullptr);
  QTest::mouseClick(accept, Qt::LeftButton);
}

class FolderPickerDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp.isValid());
    root = QDir(temp.path());
    ASSERT_TRUE(root.mkpath(QStringLiteral("Документы ü 文档/inner")));
    ASSERT_TRUE(root.mkpath(QStringLiteral("plain")));
    owner.show();
  }
  QTemporaryDir temp;
  QDir root;
  QWidget owner;
};

TEST_F(FolderPickerDialog, ThePickedFolderComesBackWithoutSeparator) {
  QtFolderPicker picker(temp.path());
  const QString chosen = root.filePath(QStringLiteral("Документы ü 文档"));
  WhenDialogOpens([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Choose Folder Having Word Documents... ✓");
    EXPECT_EQ(dialog.parentWidget(), &owner);
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(dialog.testOption(QFileDialog::ShowDirsOnly));
    EXPECT_EQ(QDir(dialog.directory()).absolutePath(), QDir(temp.path()).absolutePath());
    EXPECT_TRUE(dialog.history().isEmpty() || dialog.history() == QStringList{temp.path()});
    // Type the folder's name and press the dialog's accept button, as a user does.
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QStringLiteral("Документы ü 文档"));
    PressAccept(dialog);
  });
  const std::string picked =
      picker.Pick(static_cast<QWidget*>(&owner), "Choose Folder Having Word Documents... ✓", {});
  EXPECT_EQ(picked, Utf8(QDir::cleanPath(chosen)));
  EXPECT_NE(picked.back(), '/');
  EXPECT_TRUE(QFileInfo(QString::fromStdString(picked)).isDir());
}

TEST_F(FolderPickerDialog, CancelGivesNothing) {
  QtFolderPicker picker(temp.path());
  WhenDialogOpens([](QFileDialog& dialog) { dialog.reject(); });
  EXPECT_EQ(picker.Pick(static_cast<QWidget*>(&owner), "title", {}), "");
}

TEST_F(FolderPickerDialog, TheRootComesBackAsOneSeparator) {
  QtFolderPicker picker(temp.path());
  WhenDialogOpens([](QFileDialog& dialog) {
    dialog.setDirectory(QStringLiteral("/"));
    PressAccept(dialog);
  });
  EXPECT_EQ(picker.Pick(static_cast<QWidget*>(&owner), "title", {}), "/");
}

TEST_F(FolderPickerDialog, EveryDialogStartsAtHomeOrAtTheFolderItIsGiven) {
  QtFolderPicker picker;
  const QString home = QDir(QDir::homePath()).absolutePath();
  const QString chosen = root.filePath(QStringLiteral("plain"));
  WhenDialogOpens([&](QFileDialog& dialog) {
    EXPECT_EQ(QDir(dialog.directory()).absolutePath(), home);
    dialog.setDirectory(chosen);
    PressAccept(dialog);
  });
  EXPECT_EQ(picker.Pick(static_cast<QWidget*>(&owner), "first", {}), Utf8(chosen));
  WhenDialogOpens([&](QFileDialog& dialog) {
    EXPECT_EQ(QDir(dialog.directory()).absolutePath(), home);
    EXPECT_FALSE(dialog.history().contains(chosen));
    EXPECT_TRUE(dialog.selectedFiles().isEmpty() ||
                QDir(dialog.selectedFiles().constFirst()).absolutePath() == home);
    dialog.reject();
  });
  EXPECT_EQ(picker.Pick(static_cast<QWidget*>(&owner), "second", {}), "");
  // A start folder that exists is where the dialog opens; one that has gone counts as none.
  WhenDialogOpens([&](QFileDialog& dialog) {
    EXPECT_EQ(QDir(dialog.directory()).absolutePath(), QDir(chosen).absolutePath());
    dialog.reject();
  });
  EXPECT_EQ(picker.Pick(static_cast<QWidget*>(&owner), "third", Utf8(chosen)), "");
  WhenDialogOpens([&](QFileDialog& dialog) {
    EXPECT_EQ(QDir(dialog.directory()).absolutePath(), home);
    dialog.reject();
  });
  EXPECT_EQ(picker.Pick(static_cast<QWidget*>(&owner), "fourth", Utf8(chosen) + "/gone"), "");
}

TEST_F(FolderPickerDialog, AFolderThatVanishedBeforeTheAnswerGivesNothing) {
  QtFolderPicker picker(temp.path());
  const QString doomed = root.filePath(QStringLiteral("plain"));
  WhenDialogOpens([&](QFileDialog& dialog) {
    dialog.setDirectory(doomed);
    QDir(doomed).removeRecursively();
    // Qt's dialog warns about the missing folder itself and stays open: the user gives up.
    QTimer::singleShot(50, &dialog, [&dialog] {
      for (QMessageBox* warning : dialog.findChildren<QMessageBox*>()) {
        if (warning->isVisible()) warning->reject();
      }
    });
    PressAccept(dialog);
    if (dialog.isVisible()) dialog.reject();
  });
  EXPECT_EQ(picker.Pick(static_cast<QWidget*>(&owner), "title", {}), "");
}

TEST(QtMessageBoxTest, ShowsTheTextCaptionedWithTheApplicationTitle) {
  QtMessageBox messages;
  for (const int style : {kMsgOk, kMsgInformation}) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* box = FindTopLevel<QMessageBox>(kMessageBoxName);
      ASSERT_NE(box, nullptr);
      seen = true;
      EXPECT_EQ(box->windowTitle(), "Plenwick");
      EXPECT_EQ(box->text(), "Completed !");
      // Wide enough for the title bar to show "Plenwick" whole, and the text can be copied.
      EXPECT_GE(box->width(), MessageBoxMinimumWidth(box->windowTitle()));
      EXPECT_GE(box->width(), 200);
      EXPECT_TRUE(box->textInteractionFlags() & Qt::TextSelectableByMouse);
      EXPECT_EQ(box->icon(),
                style == kMsgInformation ? QMessageBox::Information : QMessageBox::NoIcon);
      ASSERT_EQ(box->buttons().size(), 1);
      QTest::mouseClick(box->buttons().constFirst(), Qt::LeftButton);
    });
    messages.Show("Completed !", style);
    EXPECT_TRUE(seen);
  }
}

TEST(QtMessageBoxTest, ActionBoxShowsSelectableDetailsAndTellsWhichButtonClosedIt) {
  QtMessageBox messages;
  for (const bool pressAction : {true, false}) {
    QTimer::singleShot(0, [&] {
      auto* box = FindTopLevel<QMessageBox>(kMessageBoxName);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->informativeText(), "Saved as:\n/d/<out>.doc");
      auto* details = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
      ASSERT_NE(details, nullptr);
      EXPECT_TRUE(details->textInteractionFlags() & Qt::TextSelectableByMouse);
      EXPECT_EQ(details->textFormat(), Qt::PlainText);
      ASSERT_EQ(box->buttons().size(), 2);
      for (QAbstractButton* button : box->buttons()) {
        if ((button->text() == "Open Folder") == pressAction) {
          QTest::mouseClick(button, Qt::LeftButton);
          return;
        }
      }
    });
    EXPECT_EQ(
        messages.ShowWithAction("Completed !", "Saved as:\n/d/<out>.doc", kMsgOk, "Open Folder"),
        pressAction);
  }
}

// The folders the dialogs open at outlive the program: on disk once written, and read back whole
// in any script.
TEST(QtSettingsStoreTest, AWrittenFolderIsOnDiskAndReadBackWhole) {
  QStandardPaths::setTestModeEnabled(true);  // a configuration folder of the tests' own
  QCoreApplication::setOrganizationName(QStringLiteral("Tarvik"));
  QCoreApplication::setApplicationName(QStringLiteral("PlenwickStoreTest"));
  const QString file = QSettings().fileName();
  QFile::remove(file);
  QtSettingsStore store;
  EXPECT_EQ(store.Read("Folders/LastSource"), "");
  const std::string folder = "/home/anna/Отчёты 2024/文档";
  store.Write("Folders/LastSource", folder);
  QFile written(file);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << file.toStdString();
  EXPECT_TRUE(written.readAll().contains("LastSource"));
  EXPECT_EQ(QtSettingsStore().Read("Folders/LastSource"), folder);
  QFile::remove(file);
  QStandardPaths::setTestModeEnabled(false);
}

TEST(EventYieldTest, ProcessesPendingEventsOnceAndStopsWhenTheProgramEnds) {
  bool ending = false;
  EventYield yield([&] { return ending; });
  int served = 0;
  QTimer::singleShot(0, [&] { ++served; });
  QCoreApplication::processEvents();  // let the timer become due
  served = 0;
  QMetaObject::invokeMethod(
      qApp, [&] { ++served; }, Qt::QueuedConnection);
  EXPECT_TRUE(yield.Yield());
  EXPECT_EQ(served, 1);

  ending = true;
  QMetaObject::invokeMethod(
      qApp, [&] { ++served; }, Qt::QueuedConnection);
  EXPECT_FALSE(yield.Yield());
  EXPECT_EQ(served, 1);  // nothing runs once the program is ending
  ending = false;
  QCoreApplication::processEvents();
  EXPECT_EQ(served, 2);
}

TEST(EventYieldTest, ReportsAnEndThatHappensDuringTheYield) {
  bool ending = false;
  EventYield yield([&] { return ending; });
  QMetaObject::invokeMethod(
      qApp, [&] { ending = true; }, Qt::QueuedConnection);
  EXPECT_FALSE(yield.Yield());
}

// A stand-in for xdg-open that ends with the given status, after a pause when asked.
std::string FakeOpener(const QTemporaryDir& folder, const std::string& name, const char* body) {
  const std::string path = folder.filePath(QString::fromStdString(name)).toStdString();
  std::FILE* script = std::fopen(path.c_str(), "w");
  std::fprintf(script, "#!/bin/sh\n%s\n", body);
  std::fclose(script);
  ::chmod(path.c_str(), 0755);
  return path;
}

// Failing silently left the person clicking a link that did nothing; the reason now comes back.
TEST(DesktopShellOpenTest, AnOpenerThatFindsNothingIsReportedAndOneStillRunningIsNot) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const Status none = RunXdgOpen(FakeOpener(folder, "none", "exit 3"), "https://example.com/");
  ASSERT_FALSE(none);
  EXPECT_EQ(none.error().message, "no program is set up to open it");
  EXPECT_TRUE(RunXdgOpen(FakeOpener(folder, "fine", "exit 0"), "https://example.com/"));
  EXPECT_TRUE(RunXdgOpen(FakeOpener(folder, "browser", "exec sleep 2 >/dev/null 2>&1"),
                         "https://example.com/", std::chrono::milliseconds(100)));
  EXPECT_FALSE(RunXdgOpen(folder.filePath("missing").toStdString(), "https://example.com/"));
}

TEST(DesktopShellOpenTest, WebAddressesStayAsWritten) {
  EXPECT_EQ(TargetToUrl("https://www.example.com/plenwick.html").toString(),
            "https://www.example.com/plenwick.html");
  EXPECT_EQ(TargetToUrl("https://www.example.com/plenwick/").toString(),
            "https://www.example.com/plenwick/");
}

TEST(DesktopShellOpenTest, PathsBecomeLocalFilesWithTheirNamesIntact) {
  const std::string path = "/home/anna/Отчёты 2024/文档 #1.docx";
  const QUrl url = TargetToUrl(path);
  EXPECT_TRUE(url.isLocalFile());
  EXPECT_EQ(url.toLocalFile().toStdString(), path);
  const QUrl relative = TargetToUrl("notes.docx");
  EXPECT_TRUE(relative.isLocalFile());
  EXPECT_EQ(relative.toLocalFile(), QDir::current().filePath(QStringLiteral("notes.docx")));
}

}  // namespace
}  // namespace plenwick::shell
