#pragma once

#include <orvane/export.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace orvane {

// A size in pixels. Zero in a dimension leaves that dimension free.
//
// \code
// const PixelSize shown = decodedSize({4000, 3000}, {{800, 0}, 50'000'000, 4'000'000});  // 800 x 600
// \endcode
struct ORVANE_EXPORT PixelSize {
  // In pixels; zero: free.
  //@{
  int width = 0;
  int height = 0;
  //@}

  // Whether both dimensions are free.
  bool isEmpty() const { return width <= 0 && height <= 0; }
  // Whether an image made for this size also serves `other`: the empty size stands for "as
  // large as allowed", which serves everything.
  bool covers(PixelSize other) const {
    if (isEmpty()) return true;
    if (other.isEmpty()) return false;
    return width >= other.width && height >= other.height;
  }
  // The smallest size covering both.
  PixelSize unitedWith(PixelSize other) const {
    if (isEmpty() || other.isEmpty()) return {};
    return {width > other.width ? width : other.width, height > other.height ? height : other.height};
  }
  // Dimension by dimension.
  bool operator==(const PixelSize&) const = default;
};

// How large a decoded image may become.
//
// \code
// ImageDecodeLimits limits{{1080, 1920}, 100'000'000, 8'000'000};
// auto picture = platform.imageDecoder->decode(bytes, limits);
// \endcode
struct ORVANE_EXPORT ImageDecodeLimits {
  // The image is scaled down, aspect kept, to the smallest size that still covers this box (a
  // view filling or cropping to it loses nothing); it is never scaled up. Empty: its own size.
  PixelSize target;
  // A source declaring more pixels than this is refused: a few kilobytes could claim gigabytes.
  std::int64_t maxSourcePixels = 0;
  // The decoded image is scaled down further until it has at most this many pixels.
  std::int64_t maxPixels = 0;
};

// The size a source of `source` pixels is decoded at under `limits`, or empty when it is refused.
ORVANE_EXPORT PixelSize decodedSize(PixelSize source, const ImageDecodeLimits& limits);

// A decoded image, shared by reference and never changed; a toolkit binding's decoder makes its
// own kind, which its views draw.
//
// \code
// if (auto picture = decoder.decode(bytes, limits)) log(std::to_string(picture->width()));
// \endcode
class ORVANE_EXPORT Image {
 public:
  virtual ~Image() = default;
  // In pixels.
  //@{
  virtual int width() const = 0;
  virtual int height() const = 0;
  //@}
  // Memory held by the decoded pixels; what caches charge for it.
  virtual std::size_t byteCost() const { return static_cast<std::size_t>(width()) * height() * 4; }
};

// Turns downloaded bytes into images, on the SDK's worker threads.
//
// \code
// class MyDecoder final : public ImageDecoder {
//  public:
//   std::shared_ptr<const Image> decode(std::string_view bytes, const ImageDecodeLimits& limits) const override;
// };
// \endcode
class ORVANE_EXPORT ImageDecoder {
 public:
  virtual ~ImageDecoder() = default;
  // Absent when the bytes are no image or the source is refused; otherwise decoded at
  // decodedSize() of the source (formats that can scale while decoding, like JPEG, never hold the
  // full size). Safe to call from several threads at once.
  virtual std::shared_ptr<const Image> decode(std::string_view bytes,
                                              const ImageDecodeLimits& limits) const = 0;
};

}  // namespace orvane
