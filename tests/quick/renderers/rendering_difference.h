#pragma once

#include <QImage>
#include <QString>

namespace orvane::quick::testing {

// How far one rendering of a view state strays from another, as a person would see it: both are
// first averaged over small squares, so edges anti-aliased or glyphs placed a fraction of a pixel
// apart, and a blur that stands in for a dimmed copy, come out nearly the same, while a shape
// drawn in another colour or left out does not.
struct RenderingDifference {
  // Pixels whose averaged colours differ by more than the threshold in some channel.
  int strayingPixels = 0;
  // The largest averaged difference of a channel, 0...255.
  int largestDifference = 0;
  // Where they stray, white on black, for a person to look at.
  QImage map;
  // Set when the two cannot be compared (missing, unreadable, of different sizes).
  QString problem;
};

struct RenderingComparison {
  // Side of the averaging square is 2 * radius + 1.
  int radius = 3;
  int threshold = 56;
};

RenderingDifference compareRenderings(const QImage& expected, const QImage& actual, RenderingComparison how = {});

// A view state rendered by both scene graphs is the same state when at most this many pixels
// stray: a shape a few points across in the wrong colour is already more.
inline constexpr int kTolerableStrayingPixels = 48;

}  // namespace orvane::quick::testing
