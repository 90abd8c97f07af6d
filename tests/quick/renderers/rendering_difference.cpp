#include "rendering_difference.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace orvane::quick::testing {
namespace {

// Mean of each channel over the square of `radius` around every pixel (clipped at the edges),
// from a summed-area table.
class BoxAverage {
 public:
  BoxAverage(const QImage& image, int radius)
      : width_(image.width()), height_(image.height()), radius_(radius),
        sums_(static_cast<std::size_t>((width_ + 1) * (height_ + 1) * 3), 0) {
    for (int y = 0; y < height_; ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      for (int x = 0; x < width_; ++x) {
        const int channels[3] = {qRed(line[x]), qGreen(line[x]), qBlue(line[x])};
        for (int c = 0; c < 3; ++c)
          sums_[index(x + 1, y + 1, c)] = channels[c] + sums_[index(x, y + 1, c)] + sums_[index(x + 1, y, c)]
                                          - sums_[index(x, y, c)];
      }
    }
  }

  int at(int x, int y, int channel) const {
    const int left = std::max(0, x - radius_), right = std::min(width_, x + radius_ + 1);
    const int top = std::max(0, y - radius_), bottom = std::min(height_, y + radius_ + 1);
    const long long sum = sums_[index(right, bottom, channel)] - sums_[index(left, bottom, channel)]
                          - sums_[index(right, top, channel)] + sums_[index(left, top, channel)];
    return static_cast<int>(sum / ((right - left) * (bottom - top)));
  }

 private:
  std::size_t index(int x, int y, int channel) const {
    return static_cast<std::size_t>((y * (width_ + 1) + x) * 3 + channel);
  }

  int width_;
  int height_;
  int radius_;
  std::vector<long long> sums_;
};

}  // namespace

RenderingDifference compareRenderings(const QImage& expected, const QImage& actual, RenderingComparison how) {
  RenderingDifference difference;
  if (expected.isNull() || actual.isNull()) {
    difference.problem = QStringLiteral("missing or unreadable");
    return difference;
  }
  if (expected.size() != actual.size()) {
    difference.problem = QStringLiteral("%1x%2 against %3x%4")
                             .arg(expected.width()).arg(expected.height()).arg(actual.width()).arg(actual.height());
    return difference;
  }
  // Both as opaque colours: a grab of a window has nothing behind it.
  const BoxAverage first(expected.convertToFormat(QImage::Format_RGB32), how.radius);
  const BoxAverage second(actual.convertToFormat(QImage::Format_RGB32), how.radius);
  difference.map = QImage(expected.size(), QImage::Format_Grayscale8);
  for (int y = 0; y < expected.height(); ++y) {
    uchar* line = difference.map.scanLine(y);
    for (int x = 0; x < expected.width(); ++x) {
      int largest = 0;
      for (int c = 0; c < 3; ++c) largest = std::max(largest, std::abs(first.at(x, y, c) - second.at(x, y, c)));
      difference.largestDifference = std::max(difference.largestDifference, largest);
      const bool strays = largest > how.threshold;
      difference.strayingPixels += strays ? 1 : 0;
      line[x] = strays ? 255 : static_cast<uchar>(largest);
    }
  }
  return difference;
}

}  // namespace orvane::quick::testing
