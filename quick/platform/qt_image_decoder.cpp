#include "quick/platform/qt_image_decoder.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <limits>

namespace orvane::quick {
namespace {

std::int64_t pixelCount(QSize size) { return std::int64_t{size.width()} * size.height(); }

// Megabytes for maxPixels pixels of 4 bytes, rounded up; never 0, which would mean "no limit".
int allocationLimitMegabytes(std::int64_t maxPixels) {
  constexpr std::int64_t kPixelsPerMegabyte = (1 << 20) / 4;
  std::int64_t megabytes = maxPixels / kPixelsPerMegabyte + 1;
  return static_cast<int>(std::min<std::int64_t>(megabytes, std::numeric_limits<int>::max()));
}

}  // namespace

std::shared_ptr<const Image> QtImageDecoder::decode(std::string_view bytes, std::int64_t maxPixels) const {
  if (bytes.empty() || maxPixels <= 0) return nullptr;

  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(true);
  reader.setAllocationLimit(allocationLimitMegabytes(maxPixels));

  QSize declared = reader.size();
  if (declared.isValid() && pixelCount(declared) > maxPixels) return nullptr;

  QImage image = reader.read();
  if (image.isNull() || pixelCount(image.size()) > maxPixels) return nullptr;
  return std::make_shared<QtImage>(std::move(image));
}

}  // namespace orvane::quick
