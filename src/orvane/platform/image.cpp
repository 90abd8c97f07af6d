#include <orvane/platform/image.h>

#include <algorithm>
#include <cmath>

namespace orvane {

PixelSize decodedSize(PixelSize source, const ImageDecodeLimits& limits) {
  if (source.width <= 0 || source.height <= 0) return {};
  const double sourcePixels = static_cast<double>(source.width) * source.height;
  if (sourcePixels > static_cast<double>(limits.maxSourcePixels) || limits.maxPixels <= 0) return {};

  double scale = 1;
  const auto& target = limits.target;
  if (!target.isEmpty()) {
    // Covering the box takes the larger of the two scales; a free dimension asks nothing.
    const double horizontal = target.width > 0 ? static_cast<double>(target.width) / source.width : 0;
    const double vertical = target.height > 0 ? static_cast<double>(target.height) / source.height : 0;
    scale = std::min(1.0, std::max(horizontal, vertical));
  }
  scale = std::min(scale, std::sqrt(static_cast<double>(limits.maxPixels) / sourcePixels));

  PixelSize size{std::max(1, static_cast<int>(std::lround(source.width * scale))),
                 std::max(1, static_cast<int>(std::lround(source.height * scale)))};
  // Rounding up must not break the pixel cap.
  while (static_cast<std::int64_t>(size.width) * size.height > limits.maxPixels) {
    if (size.width >= size.height && size.width > 1) {
      --size.width;
    } else if (size.height > 1) {
      --size.height;
    } else {
      return {};
    }
  }
  return size;
}

}  // namespace orvane
