#pragma once

#include <QImage>

#include "platform/image.h"

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

// Decodes with QImageReader, using whatever formats the installed image plugins offer. The size in
// the image's header is checked against maxPixels before any pixel is decoded; a format that only
// learns its size while decoding is checked afterwards, its memory bounded meanwhile by Qt's
// process-wide QImageReader::allocationLimit(). EXIF orientation is applied. Safe to use from
// several threads at once.
class QtImageDecoder final : public ImageDecoder {
 public:
  std::shared_ptr<const Image> decode(std::string_view bytes, std::int64_t maxPixels) const override;
};

}  // namespace orvane::quick
