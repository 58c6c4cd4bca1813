// The window as a screen reader meets it, through Qt's accessibility interfaces: every control
// named and described, the link labels as links with their targets that can be followed without
// the mouse, the window as a frame.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QTest>
#include <string>

#include "form/Form1Accessibility.h"
#include "form/Form1Layout.h"
#include "tests/app/Form1Fixture.h"

namespace plenwick::testing {
namespace {

const std::string kSite = PLENWICK_SITE;

class Form1Accessibility : public Form1Fixture {
 protected:
  QAccessibleInterface* Interface(QObject* object) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    EXPECT_NE(accessible, nullptr) << object->objectName().toStdString();
    return accessible;
  }
  QAccessibleInterface* Interface(const char* name) { return Interface(Control(name)); }
};

TEST_F(Form1Accessibility, EveryControlHasANameAndADescription) {
  ShowAndActivate();
  QAccessibleInterface* window = Interface(form.get());
  ASSERT_NE(window, nullptr);
  // Every control is a child of the window's interface, hidden ones included.
  EXPECT_EQ(window->childCount(), static_cast<int>(form::Form1Controls().size()));
  for (const form::Control& control : form::Form1Controls()) {
    const std::string name(control.name);
    SCOPED_TRACE(name);
    QAccessibleInterface* accessible = Interface(name.c_str());
    ASSERT_NE(accessible, nullptr);
    EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty());
    EXPECT_FALSE(accessible->text(QAccessible::Description).isEmpty());
    EXPECT_EQ(accessible->parent()->object(), form.get());
  }
}

TEST_F(Form1Accessibility, RolesFollowWhatEachControlIs) {
  const struct {
    const char* name;
    QAccessible::Role role;
  } expected[] = {
      {"Image2", QAccessible::Graphic},
      {"Image1", QAccessible::Graphic},
      {"Image4", QAccessible::Graphic},
      {"Label4", QAccessible::StaticText},
      {"LblRMsg", QAccessible::StaticText},
      {"LblProgessCurrent", QAccessible::StaticText},
      {"txtvCFPath", QAccessible::EditableText},
      {"CmdBrowse", QAccessible::Button},
      {"CmdSplit", QAccessible::Button},
      {"LblProductHelp", QAccessible::Link},
      {"LblWebsite", QAccessible::Link},
      {"LblClose", QAccessible::Link},
      {"Shape1", QAccessible::Pane},
  };
  for (const auto& control : expected) {
    QAccessibleInterface* accessible = Interface(control.name);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), control.role) << control.name;
  }
}

TEST_F(Form1Accessibility, TheWindowIsAFrameWithItsTitle) {
  ShowAndActivate();
  QAccessibleInterface* window = Interface(form.get());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->role(), QAccessible::Window);
  EXPECT_EQ(window->text(QAccessible::Name), "Tarvik Plenwick");
}

TEST_F(Form1Accessibility, TheTextBoxIsTheSourceFolderAndReadsTheChosenFolder) {
  QAccessibleInterface* box = Interface("txtvCFPath");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(QAccessible::Name), "Source folder");
  EXPECT_TRUE(box->state().readOnly);
  picker.Answer("/srv/docs");
  ASSERT_TRUE(form->CmdBrowse_Click().ok());
  EXPECT_EQ(box->text(QAccessible::Value), "/srv/docs/");
}

TEST_F(Form1Accessibility, TheCounterIsNamedByTheCountItShows) {
  QAccessibleInterface* counter = Interface("LblProgessCurrent");
  ASSERT_NE(counter, nullptr);
  EXPECT_EQ(counter->text(QAccessible::Name), "(0) Documents Combined");
  join::JoinHost& host = *form;
  host.SetCaption(join::Control::LblProgessCurrent, "(7) Documents Combined");
  EXPECT_EQ(counter->text(QAccessible::Name), "(7) Documents Combined");
}

TEST_F(Form1Accessibility, LinksNameTheirTargetsAndCanBeFollowedWithoutTheMouse) {
  ShowAndActivate();
  const struct {
    const char* name;
    std::string target;
  } links[] = {{"LblProductHelp", kSite + "/plenwick/"},
               {"LblWebsite", kSite + "/plenwick.html"},
               {"LblClose", ""}};
  for (const auto& link : links) {
    SCOPED_TRACE(link.name);
    QAccessibleInterface* accessible = Interface(link.name);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), Label(link.name)->text());
    EXPECT_EQ(accessible->text(QAccessible::Value).toStdString(), link.target);
    EXPECT_TRUE(accessible->state().linked);
    QAccessibleHyperlinkInterface* hyperlink = accessible->hyperlinkInterface();
    ASSERT_NE(hyperlink, nullptr);
    EXPECT_EQ(hyperlink->anchorTarget().toStdString(), link.target);
    ASSERT_NE(accessible->actionInterface(), nullptr);
    EXPECT_TRUE(accessible->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));
  }
  // Pressing follows the link once the screen reader's request is done.
  Interface("LblWebsite")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(opener.opened.empty());
  QCoreApplication::processEvents();
  ASSERT_EQ(opener.opened.size(), 1u);
  EXPECT_EQ(opener.opened[0], kSite + "/plenwick.html");
  Interface("LblClose")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  QCoreApplication::processEvents();
  EXPECT_EQ(ended, 1);
}

TEST_F(Form1Accessibility, TheKeyboardOrderIsUnchanged) {
  // Naming the controls must not make labels or pictures take the focus.
  for (const form::Control& control : form::Form1Controls()) {
    const bool focusable = Control(std::string(control.name).c_str())->focusPolicy() != Qt::NoFocus;
    const bool inOrder =
        control.kind == form::Kind::TextBox || control.kind == form::Kind::CommandButton;
    EXPECT_EQ(focusable, inOrder) << control.name;
  }
}

}  // namespace
}  // namespace plenwick::testing
