#include "renderers/rendering_difference.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>

namespace orvane::quick::testing {
namespace {

QImage slide() {
  QImage image(320, 120, QImage::Format_RGB32);
  image.fill(QColor(40, 120, 200));
  return image;
}

// Three bars 3 pixels tall across the slide, in `colour`.
QImage withBars(QColor colour) {
  QImage image = slide();
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  for (int i = 0; i < 3; ++i) {
    QPainterPath bar;
    bar.addRoundedRect(QRectF(10 + i * 102, 10, 96, 3), 1.5, 1.5);
    painter.fillPath(bar, colour);
  }
  return image;
}

QImage withText(qreal shift, bool antialiased) {
  QImage image = slide();
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing, antialiased);
  painter.setPen(Qt::white);
  QFont font;
  font.setPixelSize(15);
  painter.setFont(font);
  painter.drawText(QPointF(12 + shift, 60 + shift), QStringLiteral("Which answer would you pick today?"));
  return image;
}

TEST(RenderingDifference, OpaqueBarsInPlaceOfTranslucentTracksStray) {
  const auto difference = compareRenderings(withBars(QColor(255, 255, 255, 87)), withBars(Qt::white));
  EXPECT_GT(difference.strayingPixels, kTolerableStrayingPixels);
}

TEST(RenderingDifference, GlyphsPlacedAndSmoothedDifferentlyPass) {
  const auto difference = compareRenderings(withText(0, true), withText(0.4, false));
  EXPECT_LE(difference.strayingPixels, kTolerableStrayingPixels) << difference.largestDifference;
}

TEST(RenderingDifference, ABlurredCopyOfAPlainPicturePasses) {
  QImage stripes = slide();
  {
    QPainter painter(&stripes);
    for (int x = 0; x < stripes.width(); x += 8) painter.fillRect(x, 0, 4, stripes.height(), QColor(60, 140, 210));
  }
  QImage blurred = slide();
  blurred.fill(QColor(50, 130, 205));
  EXPECT_LE(compareRenderings(stripes, blurred).strayingPixels, kTolerableStrayingPixels);
}

TEST(RenderingDifference, PicturesOfDifferentSizesCannotBeCompared) {
  EXPECT_FALSE(compareRenderings(slide(), QImage(10, 10, QImage::Format_RGB32)).problem.isEmpty());
  EXPECT_FALSE(compareRenderings(slide(), QImage()).problem.isEmpty());
}

}  // namespace
}  // namespace orvane::quick::testing
