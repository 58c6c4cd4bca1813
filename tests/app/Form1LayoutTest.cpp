// The window as it opens: its frame, every control's place, kind, text, font and colour, the
// stacking order and the pictures, checked on the widgets and on the pixels of the drawn window.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Program.h"
#include "tests/app/Form1Fixture.h"

namespace plenwick::testing {
namespace {

struct Expected {
  const char* name;
  const char* kind;  // class name
  QRect pixels;      // twips / 15
  const char* text;
  double points;  // 0 for pictures and the shape
  bool bold;
  QColor colour;  // text colour; invalid when the control has none
};

const QColor kNavy(0, 0, 128);
const QColor kLink(0, 0, 192);

// The layout as drawn up, converted from twips by hand. Siblings from the back to the front.
const std::vector<Expected>& Layout() {
  static const std::vector<Expected> layout = {
      {"Image2", "QLabel", {0, 0, 600, 101}, nullptr, 0, false, {}},
      {"Label4",
       "QLabel",
       {8, 112, 569, 17},
       "Select folder having Word documents (.doc/.docx) file(s)",
       8.25,
       false,
       QColor(0, 0, 0)},
      {"ImgStatusArrow", "QLabel", {16, 201, 10, 11}, nullptr, 0, false, {}},
      {"LblProgessCurrent",
       "QLabel",
       {32, 200, 537, 17},
       "(0) Documents Combined",
       8.25,
       false,
       QColor(0, 0, 0)},
      {"LblStatusHead", "QLabel", {8, 184, 569, 17}, "Merging Documents...", 8.25, true, kNavy},
      {"Shape1", "plenwick::app::ShapeRect", {-8, 290, 609, 113}, nullptr, 0, false, {}},
      {"Image3", "QLabel", {8, 312, 48, 48}, nullptr, 0, false, {}},
      {"Image4", "QLabel", {72, 304, 10, 11}, nullptr, 0, false, {}},
      {"LblProductHelp",
       "plenwick::app::ClickLabel",
       {96, 304, 537, 17},
       "Read Step-by-Step Product Guide",
       9.75,
       false,
       kLink},
      {"LblWebsite",
       "plenwick::app::ClickLabel",
       {96, 352, 537, 17},
       "Visit Product Website",
       9.75,
       false,
       kLink},
      {"Image6", "QLabel", {72, 352, 10, 11}, nullptr, 0, false, {}},
      {"LblClose",
       "plenwick::app::ClickLabel",
       {96, 376, 537, 17},
       "Close this Application",
       9.75,
       true,
       QColor(0, 0, 0)},
      {"Image7", "QLabel", {72, 376, 10, 11}, nullptr, 0, false, {}},
      {"ImgRMsg", "QLabel", {296, 256, 12, 11}, nullptr, 0, false, {}},
      {"LblRMsg",
       "QLabel",
       {0, 264, 601, 17},
       "Click Here to Start Combining Documents",
       9.75,
       true,
       QColor(192, 0, 0)},
      {"Label1",
       "QLabel",
       {32, 160, 569, 17},
       "Supports MS Word 2010, 2007, 2003, 2000 (.doc/.docx) documents",
       8.25,
       false,
       QColor(0, 0, 255)},
      {"Image1", "QLabel", {8, 160, 16, 16}, nullptr, 0, false, {}},
      {"txtvCFPath", "QLineEdit", {8, 128, 473, 25}, "", 9.75, false, kNavy},
      {"CmdBrowse", "QPushButton", {488, 128, 101, 25}, "Browse...", 8.25, false, {}},
      {"CmdSplit", "QPushButton", {200, 216, 201, 33}, "Join Documents", 14.25, true, {}},
  };
  return layout;
}

QString TextOf(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* button = qobject_cast<QPushButton*>(widget)) return button->text();
  return {};
}

int Distance(QColor a, QColor b) {
  return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
         std::abs(a.blue() - b.blue());
}

// The pixel of `area` closest to `colour`: glyph stems are drawn in the text colour itself.
int ClosestDistance(const QImage& image, QRect area, QColor colour) {
  int best = 3 * 255;
  area = area.intersected(image.rect());
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      best = std::min(best, Distance(image.pixelColor(x, y), colour));
    }
  }
  return best;
}

bool HaveArtwork() {
  return QFileInfo::exists(QStringLiteral(":/plenwick/banner.png"));
}

class Form1Layout : public Form1Fixture {
 protected:
  QImage Drawn() {
    ShowAndActivate();
    return form->grab().toImage().convertToFormat(QImage::Format_RGB32);
  }
};

TEST_F(Form1Layout, WindowHasFixedFrameTitleAndCentredClientArea) {
  ShowAndActivate();
  EXPECT_EQ(form->objectName(), "Form1");
  EXPECT_EQ(form->windowTitle(), "Tarvik Plenwick");
  EXPECT_EQ(form->size(), QSize(598, 402));
  EXPECT_EQ(form->minimumSize(), QSize(598, 402));
  EXPECT_EQ(form->maximumSize(), QSize(598, 402));
  const Qt::WindowFlags flags = form->windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE((form->geometry().center() - screen.center()).manhattanLength(), 1);
}

TEST_F(Form1Layout, EveryControlHasItsKindPlaceTextAndFont) {
  for (const Expected& expected : Layout()) {
    SCOPED_TRACE(expected.name);
    QWidget* control = Control(expected.name);
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(control->metaObject()->className(), expected.kind);
    EXPECT_EQ(control->geometry(), expected.pixels);
    if (expected.text) {
      EXPECT_EQ(TextOf(control), QString::fromUtf8(expected.text));
    }
    if (expected.points > 0) {
      const QFontInfo font(control->font());
      EXPECT_EQ(font.family(), "Tahoma");
      EXPECT_DOUBLE_EQ(control->font().pointSizeF(), expected.points);
      EXPECT_EQ(font.bold(), expected.bold);
      EXPECT_FALSE(font.italic());
      EXPECT_FALSE(font.underline());
    }
    // No caption carries an access key.
    EXPECT_FALSE(TextOf(control).contains(u'&'));
  }
  EXPECT_EQ(form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(),
            static_cast<qsizetype>(Layout().size()));
}

TEST_F(Form1Layout, StackingPutsTheTextBoxAndButtonsOnTopAndThePanelBehindTheLinks) {
  // Among siblings the later child is drawn above the earlier one.
  std::vector<QString> order;
  for (QObject* child : form->children()) {
    if (child->isWidgetType()) order.push_back(child->objectName());
  }
  std::vector<QString> expected;
  for (const Expected& control : Layout()) expected.push_back(QString::fromLatin1(control.name));
  EXPECT_EQ(order, expected);
}

TEST_F(Form1Layout, InitialStateWaitsForASourceFolder) {
  ShowAndActivate();
  EXPECT_TRUE(TextBox()->text().isEmpty());
  EXPECT_TRUE(TextBox()->isReadOnly());
  for (const char* hidden :
       {"LblStatusHead", "LblProgessCurrent", "ImgStatusArrow", "ImgRMsg", "LblRMsg"}) {
    EXPECT_FALSE(Control(hidden)->isVisible()) << hidden;
  }
  EXPECT_TRUE(Button("CmdSplit")->isVisible());
  EXPECT_FALSE(Button("CmdSplit")->isEnabled());
  for (const char* shown :
       {"Image2", "Label4", "txtvCFPath", "CmdBrowse", "Image1", "Label1", "Shape1", "Image3",
        "Image4", "LblProductHelp", "Image6", "LblWebsite", "Image7", "LblClose"}) {
    EXPECT_TRUE(Control(shown)->isVisible()) << shown;
    EXPECT_TRUE(Control(shown)->isEnabled()) << shown;
  }
  EXPECT_TRUE(form->sourceFolder.empty());
}

TEST_F(Form1Layout, BackgroundPanelAndTextsAreDrawnInTheirColours) {
  // Show everything the status area holds, as after a selection.
  picker.Answer("/srv/docs");
  ASSERT_TRUE(form->CmdBrowse_Click().ok());
  const QImage image = Drawn();
  const QColor background(255, 228, 142);
  for (const QPoint point :
       {QPoint(597, 110), QPoint(3, 270), QPoint(590, 280), QPoint(450, 240)}) {
    EXPECT_EQ(image.pixelColor(point), background) << point.x() << "," << point.y();
  }
  // The white panel, and its navy border along the top (its other sides lie outside the window).
  EXPECT_EQ(image.pixelColor(300, 290), kNavy);
  EXPECT_EQ(image.pixelColor(0, 290), kNavy);
  EXPECT_EQ(image.pixelColor(597, 290), kNavy);
  for (const QPoint point :
       {QPoint(300, 291), QPoint(0, 401), QPoint(597, 401), QPoint(400, 330)}) {
    EXPECT_EQ(image.pixelColor(point), QColor(Qt::white)) << point.x() << "," << point.y();
  }
  for (const Expected& expected : Layout()) {
    if (!expected.colour.isValid() || !expected.text || !*expected.text) continue;
    SCOPED_TRACE(expected.name);
    EXPECT_LE(ClosestDistance(image, expected.pixels, expected.colour), 24);
  }
  // The text box shows the folder in navy on white.
  EXPECT_LE(ClosestDistance(image, QRect(10, 130, 200, 20), kNavy), 24);
}

TEST_F(Form1Layout, PicturesAreDrawnAtTheirPlaces) {
  if (!HaveArtwork()) GTEST_SKIP() << "the artwork resources are not linked into this build";
  picker.Answer("/srv/docs");
  ASSERT_TRUE(form->CmdBrowse_Click().ok());
  const QImage image = Drawn();
  const struct {
    const char* name;
    const char* picture;
    QPoint at;
  } pictures[] = {{"Image2", "banner.png", {0, 0}},
                  {"Image1", "worddoc.png", {8, 160}},
                  {"ImgStatusArrow", "arrow-right.png", {16, 201}},
                  {"ImgRMsg", "arrow-up.png", {296, 256}},
                  {"Image3", "helpbook.png", {8, 312}},
                  {"Image4", "arrow-right.png", {72, 304}},
                  {"Image6", "arrow-right.png", {72, 352}},
                  {"Image7", "arrow-right.png", {72, 376}}};
  for (const auto& expected : pictures) {
    SCOPED_TRACE(expected.name);
    const QImage picture =
        QImage(QStringLiteral(":/plenwick/") + QString::fromLatin1(expected.picture))
            .convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(Control(expected.name)->size(), picture.size());
    // Every opaque pixel of the picture shows in the window, unless a sibling above covers it
    // (only the prompt's text lies over the tip of its arrow).
    int opaque = 0;
    int matching = 0;
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x) {
        const QColor colour = picture.pixelColor(x, y);
        const QPoint at = expected.at + QPoint(x, y);
        if (colour.alpha() != 255 || !image.rect().contains(at)) continue;
        ++opaque;
        if (Distance(image.pixelColor(at), colour) <= 3) ++matching;
      }
    }
    EXPECT_GT(opaque, 0);
    EXPECT_GE(matching * 10, opaque * 9);
  }
  EXPECT_EQ(image.pixelColor(300, 258), QColor(241, 5, 44));
  EXPECT_EQ(image.pixelColor(75, 309), kNavy);
}

TEST_F(Form1Layout, OnlyTheLinkLabelsShowTheHandPointer) {
  for (const char* link : {"LblProductHelp", "LblWebsite", "LblClose"}) {
    const QCursor cursor = Control(link)->cursor();
    SCOPED_TRACE(link);
    if (HaveArtwork()) {
      EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
      EXPECT_EQ(cursor.hotSpot(), QPoint(12, 1));
      EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
    } else {
      EXPECT_EQ(cursor.shape(), Qt::PointingHandCursor);
    }
  }
  for (const char* plain : {"Label1", "Label4", "LblRMsg", "ImgRMsg", "Image3", "CmdBrowse"}) {
    EXPECT_FALSE(Control(plain)->testAttribute(Qt::WA_SetCursor)) << plain;
  }
  EXPECT_EQ(TextBox()->cursor().shape(), Qt::IBeamCursor);
}

TEST_F(Form1Layout, WindowCarriesTheProgramIcon) {
  if (!HaveArtwork()) GTEST_SKIP() << "the artwork resources are not linked into this build";
  const QList<QSize> sizes = form->windowIcon().availableSizes();
  for (const QSize size : {QSize(16, 16), QSize(32, 32), QSize(48, 48)}) {
    EXPECT_TRUE(sizes.contains(size)) << size.width();
  }
}

}  // namespace
}  // namespace plenwick::testing

namespace plenwick::testing {
namespace {

TEST(ProgramSetUp, NamesTheApplicationAndLeavesTheEndToTheWindow) {
  app::SetUpApplication();
  EXPECT_EQ(QApplication::applicationName(), "Plenwick");
  EXPECT_EQ(QApplication::applicationVersion(), PLENWICK_DISPLAY_VERSION);
  EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
}

}  // namespace
}  // namespace plenwick::testing
