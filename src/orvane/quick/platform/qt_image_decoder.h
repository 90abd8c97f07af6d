#pragma once

#include <QImage>

#include <orvane/platform/image.h>

namespace orvane::quick {

// A decoded QImage; views reach it through image().
class QtImage final : public Image {
 public:
  explicit QtImage(QImage image) : image_(std::move(image)) {}

  int width() const override { return image_.width(); }
  int height() const override { return image_.height(); }
  std::size_t byteCost() const override { return static_cast<std::size_t>(image_.sizeInBytes()); }
  const QImage& image() const { return image_; }

 private:
  QImage image_;
};

// Decodes with QImageReader, using whatever formats the installed image plugins offer, at the size
// the limits give: the size in the image's header is checked and the scaled size set before any
// pixel is decoded (JPEG then decodes small directly). A format that only learns its size while
// decoding is checked and scaled afterwards, its memory bounded meanwhile by Qt's process-wide
// QImageReader::allocationLimit(). EXIF orientation is applied. Safe to use from several threads
// at once. Once the application object is destroyed it decodes nothing more.
class QtImageDecoder final : public ImageDecoder {
 public:
  QtImageDecoder();
  std::shared_ptr<const Image> decode(std::string_view bytes, const ImageDecodeLimits& limits) const override;
};

}  // namespace orvane::quick
