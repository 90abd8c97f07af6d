#include <orvane/quick/platform/qt_image_decoder.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImageIOHandler>
#include <QImageReader>
#include <mutex>
#include <shared_mutex>

namespace orvane::quick {
namespace {

std::int64_t pixelCount(QSize size) { return std::int64_t{size.width()} * size.height(); }

// Decodes run on the SDK's worker threads, which live as long as the process. Once the
// application object is gone Qt tears its image plugins down, so from then on no decode may
// start, and its destructor waits for those still running.
struct DecodingGate {
  std::shared_mutex mutex;
  bool open = false;
  const QCoreApplication* application = nullptr;
};

DecodingGate& decodingGate() {
  static auto* gate = new DecodingGate;  // never destroyed: workers may still ask at exit
  return *gate;
}

void closeDecodingGate() {
  auto& gate = decodingGate();
  std::unique_lock lock(gate.mutex);
  gate.open = false;
  gate.application = nullptr;
}

// Opens the gate for the application object alive now (there is none in some tests: then there
// are no plugins to tear down either, and the gate opens all the same).
void openDecodingGate() {
  auto& gate = decodingGate();
  auto* application = QCoreApplication::instance();
  std::unique_lock lock(gate.mutex);
  gate.open = true;
  if (application == nullptr || gate.application == application) return;
  gate.application = application;
  qAddPostRoutine(closeDecodingGate);
}

}  // namespace

QtImageDecoder::QtImageDecoder() { openDecodingGate(); }

std::shared_ptr<const Image> QtImageDecoder::decode(std::string_view bytes,
                                                    const ImageDecodeLimits& limits) const {
  if (bytes.empty()) return nullptr;
  std::shared_lock gateOpen(decodingGate().mutex);
  if (!decodingGate().open) return nullptr;

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
