// The window's pictures as the program loads them: from the Qt resources, with the sizes,
// colours and transparency the window relies on.
#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include "plenwick/Art.h"

namespace {

QImage load(const char* path) {
  QImage image(QString::fromUtf8(path));
  EXPECT_FALSE(image.isNull()) << path;
  return image.convertToFormat(QImage::Format_ARGB32);
}

bool clear(const QImage& image, int x, int y) {
  return qAlpha(image.pixel(x, y)) == 0;
}

// Every visible pixel of a one-colour picture carries exactly that colour, and some are solid.
void expectOneColour(const QImage& image, QColor colour) {
  int solid = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      if (qAlpha(p) == 0) continue;
      EXPECT_EQ(QColor(p).rgb() & 0xFFFFFFu, colour.rgb() & 0xFFFFFFu) << x << "," << y;
      if (qAlpha(p) == 255) ++solid;
    }
  }
  EXPECT_GT(solid, image.width() * image.height() / 4);
}

TEST(Art, EveryPictureHasItsSize) {
  EXPECT_EQ(load(plenwick::art::kBanner).size(), QSize(600, 101));
  EXPECT_EQ(load(plenwick::art::kWordDocument).size(), QSize(16, 16));
  EXPECT_EQ(load(plenwick::art::kHelpBook).size(), QSize(48, 48));
  EXPECT_EQ(load(plenwick::art::kArrowRight).size(), QSize(10, 11));
  EXPECT_EQ(load(plenwick::art::kArrowUp).size(), QSize(12, 11));
  EXPECT_EQ(load(plenwick::art::kHand).size(), QSize(32, 32));
  EXPECT_EQ(load(plenwick::art::kIcon16).size(), QSize(16, 16));
  EXPECT_EQ(load(plenwick::art::kIcon32).size(), QSize(32, 32));
  EXPECT_EQ(load(plenwick::art::kIcon48).size(), QSize(48, 48));
}

TEST(Art, BannerBlendsIntoTheWindowAndShowsItsPanel) {
  const QImage banner = load(plenwick::art::kBanner);
  const QRgb window = qRgb(255, 228, 142);
  for (const QPoint p : {QPoint(0, 0), QPoint(599, 0), QPoint(0, 100), QPoint(599, 100),
                         QPoint(300, 1), QPoint(300, 99), QPoint(1, 50), QPoint(598, 50)}) {
    EXPECT_EQ(banner.pixel(p), window) << p.x() << "," << p.y();
  }
  EXPECT_TRUE(banner.hasAlphaChannel() == false || qAlpha(banner.pixel(300, 50)) == 255);
  // The panel colour fills an area between the lettering and the frame.
  EXPECT_EQ(banner.pixel(440, 88), qRgb(255, 204, 102));
  EXPECT_EQ(banner.pixel(100, 86), qRgb(255, 204, 102));
  // Its frame is blue.
  const QColor frame(banner.pixel(300, 7));
  EXPECT_GT(frame.blue(), 100);
  EXPECT_LT(frame.red(), 60);
}

TEST(Art, SmallPicturesHaveClearBackgrounds) {
  for (const char* path :
       {plenwick::art::kWordDocument, plenwick::art::kHelpBook, plenwick::art::kArrowRight,
        plenwick::art::kArrowUp, plenwick::art::kHand, plenwick::art::kIcon16,
        plenwick::art::kIcon32, plenwick::art::kIcon48}) {
    const QImage image = load(path);
    EXPECT_TRUE(image.hasAlphaChannel()) << path;
    // Every picture leaves at least one corner clear, so the window shows through.
    const int w = image.width() - 1, h = image.height() - 1;
    EXPECT_TRUE(clear(image, 0, h) || clear(image, w, 0) || clear(image, w, h) ||
                clear(image, 0, 0))
        << path;
  }
}

TEST(Art, ArrowsCarryTheirColours) {
  expectOneColour(load(plenwick::art::kArrowRight), QColor(0, 0, 128));
  expectOneColour(load(plenwick::art::kArrowUp), QColor(241, 5, 44));
  // Right arrow: the tip is at the right edge, middle row; up arrow: the tip at the top middle.
  const QImage right = load(plenwick::art::kArrowRight);
  EXPECT_GT(qAlpha(right.pixel(9, 5)), 0);
  EXPECT_TRUE(clear(right, 9, 0) && clear(right, 9, 10));
  const QImage up = load(plenwick::art::kArrowUp);
  EXPECT_EQ(qAlpha(up.pixel(5, 0)), 255);
  EXPECT_TRUE(clear(up, 0, 0) && clear(up, 11, 0));
}

TEST(Art, HandHotSpotIsTheFingertip) {
  const QImage hand = load(plenwick::art::kHand);
  const int x = plenwick::art::kHandHotSpotX, y = plenwick::art::kHandHotSpotY;
  EXPECT_EQ(hand.pixel(x, y), qRgba(0, 0, 0, 255));  // the outline at the tip
  for (int above = 0; above < y; ++above) EXPECT_TRUE(clear(hand, x, above));
  EXPECT_TRUE(clear(hand, x - 2, y) && clear(hand, x + 2, y));  // nothing beside the tip
  EXPECT_EQ(hand.pixel(x, y + 2), qRgba(255, 255, 255, 255));   // inside the finger
}

TEST(Art, IconFileHoldsSixImages) {
  QImageReader reader(QString::fromUtf8(plenwick::art::kIconFile));
  ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
  EXPECT_EQ(reader.imageCount(), 6);
  QIcon icon(QString::fromUtf8(plenwick::art::kIconFile));
  EXPECT_FALSE(icon.isNull());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
