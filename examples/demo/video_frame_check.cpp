#include "video_frame_check.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "placeholders/placeholder_picture.h"

namespace {

// What the sample content links to: /videos/intro.avi?s=4 at the service's default sides.
constexpr int kWidth = 144, kHeight = 256, kFrames = 4 * 8;
constexpr int kColumns = 12, kRows = 24;

}  // namespace

double sampleVideoMismatch(const QImage& window, const QRectF& videoArea, const QRectF& visibleArea) {
  if (videoArea.isEmpty()) return std::numeric_limits<double>::max();
  const double scale = window.devicePixelRatio();
  struct Sample {
    int x, y;  // in the video's pixels
    QRgb shown;
  };
  std::vector<Sample> samples;
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      const double u = (column + 0.5) / kColumns, v = (row + 0.5) / kRows;
      const QPointF scene(videoArea.left() + u * videoArea.width(), videoArea.top() + v * videoArea.height());
      if (!visibleArea.contains(scene)) continue;
      const QPoint pixel = (scene * scale).toPoint();
      if (!window.valid(pixel)) continue;
      samples.push_back({static_cast<int>(u * kWidth), static_cast<int>(v * kHeight), window.pixel(pixel)});
    }
  }
  if (samples.empty()) return std::numeric_limits<double>::max();

  double best = std::numeric_limits<double>::max();
  for (int frame = 0; frame < kFrames; ++frame) {
    const auto expected =
        orvane::service::placeholders::placeholderPixels("intro", kWidth, kHeight, frame / (kFrames - 1.0));
    double total = 0;
    for (const auto& sample : samples) {
      const auto* want = &expected[(static_cast<std::size_t>(sample.y) * kWidth + sample.x) * 3];
      total += std::abs(qRed(sample.shown) - want[0]) + std::abs(qGreen(sample.shown) - want[1]) +
               std::abs(qBlue(sample.shown) - want[2]);
    }
    best = std::min(best, total / (3.0 * static_cast<double>(samples.size())));
  }
  return best;
}
