// The window on a screen of twice the density (QT_SCALE_FACTOR=2, as a desktop set to 200 %):
// everything twice the size in device pixels, drawn at that density rather than magnified, and
// no caption cut by its control. Its own program, since the scale is fixed when Qt starts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "form/Form1Layout.h"
#include "tests/app/Form1Fixture.h"

namespace plenwick::testing {
namespace {

constexpr int kScale = 2;

class Form1Scaled : public Form1Fixture {
 protected:
  void SetUp() override {
    Form1Fixture::SetUp();
    // Everything shown, as after a source folder was chosen.
    picker.Answer("/home/user/Documents/Quarterly reports");
    ASSERT_TRUE(form->CmdBrowse_Click().ok());
    ShowAndActivate();
  }
  QImage Drawn() const { return form->grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

// The area of `image` (device pixels) that `logical` covers.
QRect DeviceRect(QRect logical) {
  return {logical.left() * kScale, logical.top() * kScale, logical.width() * kScale,
          logical.height() * kScale};
}

bool IsInk(QColor pixel, QColor background) {
  return std::abs(pixel.red() - background.red()) + std::abs(pixel.green() - background.green()) +
             std::abs(pixel.blue() - background.blue()) >
         96;
}

TEST_F(Form1Scaled, TheWindowIsTwiceTheSizeInDevicePixels) {
  EXPECT_DOUBLE_EQ(form->devicePixelRatioF(), kScale);
  // Laid out in the same logical pixels as at 100 %.
  EXPECT_EQ(form->size(), QSize(598, 402));
  const QImage image = Drawn();
  EXPECT_EQ(image.size(), QSize(598 * kScale, 402 * kScale));
  for (const form::Control& control : form::Form1Controls()) {
    const form::Rect pixels = form::Pixels(control.twips);
    EXPECT_EQ(Control(std::string(control.name).c_str())->geometry(),
              QRect(pixels.left, pixels.top, pixels.width, pixels.height))
        << control.name;
  }
}

TEST_F(Form1Scaled, NoCaptionIsCutByItsControl) {
  for (const form::Control& control : form::Form1Controls()) {
    if (control.caption.empty()) continue;
    QWidget* widget = Control(std::string(control.name).c_str());
    SCOPED_TRACE(control.name);
    const QFontMetrics metrics(widget->font());
    const QString caption =
        QString::fromUtf8(control.caption.data(), static_cast<qsizetype>(control.caption.size()));
    if (qobject_cast<QLabel*>(widget) != nullptr) {
      EXPECT_LE(widget->sizeHint().width(), widget->width());
      EXPECT_LE(metrics.height(), widget->height());
    } else {
      // A button's caption sits inside its frame.
      EXPECT_LE(metrics.horizontalAdvance(caption) + 8, widget->width());
      EXPECT_LE(metrics.height(), widget->height());
    }
  }
}

// Text drawn at the screen's density has strokes one device pixel wide; text drawn at 100 % and
// magnified would come in solid 2 x 2 blocks.
TEST_F(Form1Scaled, TextIsDrawnAtTheScreensDensityNotMagnified) {
  const QImage image = Drawn();
  for (const char* name : {"Label4", "LblStatusHead", "LblProgessCurrent", "LblWebsite"}) {
    SCOPED_TRACE(name);
    auto* label = qobject_cast<QLabel*>(Control(name));
    ASSERT_NE(label, nullptr);
    const int advance = QFontMetrics(label->font()).horizontalAdvance(label->text());
    // The text's own part of the label: its last row touches the control below it.
    QRect logical = label->geometry();
    logical.setWidth(std::min(logical.width(), advance + 8));
    logical.setHeight(logical.height() - 1);
    const QRect area = DeviceRect(logical).intersected(image.rect());
    const QColor background = image.pixelColor(area.right(), area.top());
    int inkBlocks = 0;
    int mixedBlocks = 0;
    int inkLeft = area.right();
    int inkRight = area.left();
    for (int y = area.top(); y + 1 <= area.bottom(); y += 2) {
      for (int x = area.left(); x + 1 <= area.right(); x += 2) {
        const int count = IsInk(image.pixelColor(x, y), background) +
                          IsInk(image.pixelColor(x + 1, y), background) +
                          IsInk(image.pixelColor(x, y + 1), background) +
                          IsInk(image.pixelColor(x + 1, y + 1), background);
        if (count == 0) continue;
        ++inkBlocks;
        if (count != 4) ++mixedBlocks;
        inkLeft = std::min(inkLeft, x);
        inkRight = std::max(inkRight, x + 1);
      }
    }
    ASSERT_GT(inkBlocks, 20);
    EXPECT_GE(mixedBlocks * 4, inkBlocks);
    // The ink spans what the text measures, doubled.
    EXPECT_NEAR(inkRight - inkLeft + 1, advance * kScale, 4 * kScale);
  }
}

}  // namespace
}  // namespace plenwick::testing

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The scale this program is about, whatever the environment says.
  qputenv("QT_SCALE_FACTOR", QByteArray::number(plenwick::testing::kScale));
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
