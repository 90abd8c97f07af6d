#include <orvane/quick/platform/qt_image_decoder.h>

#include <orvane/quick/platform/qt_application_gate.h>

#include <QBuffer>
#include <QImageIOHandler>
#include <QImageReader>

namespace orvane::quick {
namespace {

std::int64_t pixelCount(QSize size) { return std::int64_t{size.width()} * size.height(); }

}  // namespace

QtImageDecoder::QtImageDecoder() { QtApplicationGate::open(); }

std::shared_ptr<const Image> QtImageDecoder::decode(std::string_view bytes,
                                                    const ImageDecodeLimits& limits) const {
  if (bytes.empty()) return nullptr;
  // Image plugins go with the application object.
  const auto qtAlive = QtApplicationGate::enter();
  if (!qtAlive) return nullptr;

  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(true);

  const QSize declared = reader.size();
  if (declared.isValid()) {
    // The limits speak of the image as shown; a quarter turn from its orientation swaps the sides.
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    const PixelSize shown = turned ? PixelSize{declared.height(), declared.width()}
                                   : PixelSize{declared.width(), declared.height()};
    const PixelSize size = decodedSize(shown, limits);
    if (size.isEmpty()) return nullptr;
    // JPEG scales while decoding: the full-size pixels never exist.
    if (size != shown)
      reader.setScaledSize(turned ? QSize(size.height, size.width) : QSize(size.width, size.height));
  }

  QImage image = reader.read();
  if (image.isNull()) return nullptr;
  if (!declared.isValid()) {
    // Learnt only now: checked and scaled afterwards, memory bounded meanwhile by Qt's allocation limit.
    const PixelSize size = decodedSize({image.width(), image.height()}, limits);
    if (size.isEmpty()) return nullptr;
    if (size.width != image.width() || size.height != image.height()) {
      image = image.scaled(size.width, size.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
  }
  if (pixelCount(image.size()) > limits.maxPixels) return nullptr;
  return std::make_shared<QtImage>(std::move(image));
}

}  // namespace orvane::quick
