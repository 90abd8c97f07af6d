#include "quick/platform/qt_image_decoder.h"

#include <QBuffer>
#include <QImageReader>

namespace orvane::quick {
namespace {

std::int64_t pixelCount(QSize size) { return std::int64_t{size.width()} * size.height(); }

}  // namespace

std::shared_ptr<const Image> QtImageDecoder::decode(std::string_view bytes, std::int64_t maxPixels) const {
  if (bytes.empty() || maxPixels <= 0) return nullptr;

  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(true);

  QSize declared = reader.size();
  if (declared.isValid() && pixelCount(declared) > maxPixels) return nullptr;

  QImage image = reader.read();
  if (image.isNull() || pixelCount(image.size()) > maxPixels) return nullptr;
  return std::make_shared<QtImage>(std::move(image));
}

}  // namespace orvane::quick
