// What the window does with clicks and keys: the web links, the labels that are no links, the
// focus order, and the keys that must press nothing.
#include <gtest/gtest.h>

#include <QTest>
#include <string>

#include "tests/app/Form1Fixture.h"

namespace plenwick::testing {
namespace {

const std::string kSite = PLENWICK_SITE;

class Form1Input : public Form1Fixture {
 protected:
  void SetUp() override {
    Form1Fixture::SetUp();
    form->SetJoinHandler([this](app::Form1&) {
      ++joins;
      return Ok();
    });
  }
  void ChooseFolder() {
    picker.Answer("/srv/docs");
    QTest::mouseClick(Button("CmdBrowse"), Qt::LeftButton);
    ASSERT_TRUE(Button("CmdSplit")->isEnabled());
  }
  int joins = 0;
};

TEST_F(Form1Input, EachWebLinkOpensItsPageOnceAndTheWindowStays) {
  ShowAndActivate();
  QTest::mouseClick(Label("LblWebsite"), Qt::LeftButton);
  ASSERT_EQ(opener.opened.size(), 1u);
  EXPECT_EQ(opener.opened[0], kSite + "/plenwick.html");
  QTest::mouseClick(Label("LblProductHelp"), Qt::LeftButton);
  ASSERT_EQ(opener.opened.size(), 2u);
  EXPECT_EQ(opener.opened[1], kSite + "/plenwick/");
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(ended, 0);
  EXPECT_TRUE(messages.shown.empty());

  // With no browser the click used to do nothing at all; now the person is told, with the
  // address to copy.
  opener.failure = MakeError(errc::kGeneric, "no program is set up to open it");
  QTest::mouseClick(Label("LblWebsite"), Qt::LeftButton);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].style, shell::kMsgWarning);
  EXPECT_EQ(messages.shown[0].text,
            "The web page could not be opened: no program is set up to open it.\n\nIts address "
            "is:\n" +
                kSite + "/plenwick.html");
  EXPECT_TRUE(form->isVisible());
}

TEST_F(Form1Input, ARightClickOrADragOffTheLinkOpensNothing) {
  ShowAndActivate();
  QTest::mouseClick(Label("LblWebsite"), Qt::RightButton);
  QTest::mousePress(Label("LblWebsite"), Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(Label("LblWebsite"), Qt::LeftButton, {}, QPoint(5, 40));
  EXPECT_TRUE(opener.opened.empty());
}

TEST_F(Form1Input, ThePromptAndItsArrowAreNoButtons) {
  ShowAndActivate();
  ChooseFolder();
  const auto before = picker.calls.size();
  for (const char* name : {"LblRMsg", "ImgRMsg", "LblStatusHead", "Label1", "Image3", "Shape1"}) {
    QTest::mouseClick(Control(name), Qt::LeftButton);
    QTest::mouseDClick(Control(name), Qt::LeftButton);
  }
  EXPECT_EQ(joins, 0);
  EXPECT_EQ(picker.calls.size(), before);
  EXPECT_TRUE(opener.opened.empty());
  EXPECT_EQ(ended, 0);
  QTest::mouseClick(Button("CmdSplit"), Qt::LeftButton);
  EXPECT_EQ(joins, 1);
}

TEST_F(Form1Input, ADisabledJoinButtonIgnoresClicks) {
  ShowAndActivate();
  QTest::mouseClick(Button("CmdSplit"), Qt::LeftButton);
  EXPECT_EQ(joins, 0);
}

TEST_F(Form1Input, FocusStartsInTheTextBoxAndTabSkipsTheDisabledButton) {
  ShowAndActivate();
  EXPECT_EQ(QApplication::focusWidget(), TextBox());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Button("CmdBrowse"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), TextBox());

  picker.Answer("/srv/docs");
  ASSERT_TRUE(form->CmdBrowse_Click().ok());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Button("CmdSplit"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), TextBox());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), Button("CmdSplit"));
  for (const char* name : {"Label4", "Label1", "LblWebsite", "LblClose", "Image2", "Shape1"}) {
    EXPECT_EQ(Control(name)->focusPolicy(), Qt::NoFocus) << name;
  }
}

TEST_F(Form1Input, EnterAndEscPressNoButtonWhereverTheFocusIs) {
  ShowAndActivate();
  ChooseFolder();
  const auto picks = picker.calls.size();
  for (QWidget* focus :
       {static_cast<QWidget*>(TextBox()), static_cast<QWidget*>(Button("CmdBrowse")),
        static_cast<QWidget*>(Button("CmdSplit"))}) {
    focus->setFocus();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
      QTest::keyClick(focus, key);
    }
  }
  EXPECT_EQ(joins, 0);
  EXPECT_EQ(picker.calls.size(), picks);
  EXPECT_EQ(ended, 0);
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(Button("CmdBrowse")->autoDefault());
  EXPECT_FALSE(Button("CmdSplit")->autoDefault());
}

TEST_F(Form1Input, NoAccessKeyPressesAButton) {
  ShowAndActivate();
  ChooseFolder();
  const auto picks = picker.calls.size();
  for (const Qt::Key key : {Qt::Key_B, Qt::Key_J, Qt::Key_C, Qt::Key_V, Qt::Key_R}) {
    QTest::keyClick(TextBox(), key, Qt::AltModifier);
  }
  EXPECT_EQ(joins, 0);
  EXPECT_EQ(picker.calls.size(), picks);
  EXPECT_TRUE(opener.opened.empty());
  EXPECT_EQ(ended, 0);
}

TEST_F(Form1Input, TypingIntoTheTextBoxChangesNothing) {
  ShowAndActivate();
  ChooseFolder();
  QTest::keyClicks(TextBox(), "typed");
  QTest::keyClick(TextBox(), Qt::Key_Backspace);
  QTest::keyClick(TextBox(), Qt::Key_Delete);
  EXPECT_EQ(TextBox()->text(), "/srv/docs/");
  EXPECT_EQ(form->sourceFolder, "/srv/docs/");
  // The text can still be selected and copied.
  TextBox()->selectAll();
  EXPECT_EQ(TextBox()->selectedText(), "/srv/docs/");
}

}  // namespace
}  // namespace plenwick::testing
