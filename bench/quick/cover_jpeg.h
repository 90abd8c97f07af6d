#pragma once

// A 12-megapixel photo-like JPEG cover (4000 x 3000, gradients and noise), encoded once.
#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <string>

namespace orvane::bench {

inline const std::string& coverJpeg() {
  static const std::string bytes = [] {
    QImage image(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator noise(7);
    for (int y = 0; y < image.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x) {
        const int grain = static_cast<int>(noise.bounded(24));
        line[x] = qRgb((x * 255 / 4000 + grain) & 0xFF, (y * 255 / 3000 + grain) & 0xFF,
                       ((x + y) / 28 + grain) & 0xFF);
      }
    }
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 85);
    return encoded.toStdString();
  }();
  return bytes;
}

}  // namespace orvane::bench
