#include <orvane/quick/platform/qt_image_decoder.h>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

namespace orvane::quick {
namespace {

std::string encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes.toStdString();
}

QImage filled(int width, int height, QColor colour) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(colour);
  return image;
}

// A 24-bit BMP header claiming width x height, with no pixel data behind it.
std::string bmpHeaderOnly(std::uint32_t width, std::uint32_t height) {
  std::string bytes(54, '\0');
  auto put32 = [&](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
      bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, 54);
  put32(10, 54);
  put32(14, 40);
  put32(18, width);
  put32(22, height);
  bytes[26] = 1;
  bytes[28] = 24;
  return bytes;
}

// Sources up to `maxSourcePixels`, decoded at their own size unless `target` asks for less.
ImageDecodeLimits limits(std::int64_t maxSourcePixels, PixelSize target = {}) {
  return {target, maxSourcePixels, std::int64_t{1} << 30};
}

TEST(QtImageDecoder, DecodesPngAndJpegBytes) {
  QtImageDecoder decoder;
  auto png = decoder.decode(encoded(filled(3, 2, QColor(10, 200, 30)), "PNG"), limits(1000));
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png->width(), 3);
  EXPECT_EQ(png->height(), 2);
  auto& qt = dynamic_cast<const QtImage&>(*png);
  EXPECT_EQ(qt.image().pixelColor(2, 1), QColor(10, 200, 30));
  EXPECT_EQ(png->byteCost(), static_cast<std::size_t>(qt.image().sizeInBytes()));

  auto jpeg = decoder.decode(encoded(filled(16, 8, Qt::white), "JPG"), limits(1000));
  ASSERT_NE(jpeg, nullptr);
  EXPECT_EQ(jpeg->width(), 16);
}

TEST(QtImageDecoder, DecodesNoLargerThanTheTargetOrThePixelCapAllow) {
  QtImageDecoder decoder;
  const auto jpeg = encoded(filled(400, 300, Qt::gray), "JPG");
  const auto png = encoded(filled(400, 300, Qt::gray), "PNG");
  for (const auto& bytes : {jpeg, png}) {
    // Covering a 40 x 40 bubble, aspect kept.
    auto bubble = decoder.decode(bytes, limits(1'000'000, {40, 40}));
    ASSERT_NE(bubble, nullptr);
    EXPECT_EQ(bubble->width(), 53);
    EXPECT_EQ(bubble->height(), 40);
    // Never scaled up.
    auto whole = decoder.decode(bytes, limits(1'000'000, {4000, 4000}));
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(whole->width(), 400);
    // Too many pixels for the cap: smaller, not refused.
    auto capped = decoder.decode(bytes, {{}, 1'000'000, 30'000});
    ASSERT_NE(capped, nullptr);
    EXPECT_LE(capped->width() * capped->height(), 30'000);
    EXPECT_EQ(capped->width(), 200);
  }
}

TEST(QtImageDecoder, BytesThatAreNoImageAreAbsent) {
  QtImageDecoder decoder;
  EXPECT_EQ(decoder.decode("", limits(1000)), nullptr);
  EXPECT_EQ(decoder.decode("<html>not an image</html>", limits(1000)), nullptr);
  EXPECT_EQ(decoder.decode(std::string(4096, '\xFF'), limits(1000)), nullptr);
  auto png = encoded(filled(40, 40, Qt::red), "PNG");
  EXPECT_EQ(decoder.decode(png.substr(0, 16), limits(10000)), nullptr);
}

TEST(QtImageDecoder, SourcesOverThePixelCapAreAbsentAndHugeDeclaredSizesAreNotDecoded) {
  QtImageDecoder decoder;
  auto png = encoded(filled(100, 100, Qt::blue), "PNG");
  EXPECT_NE(decoder.decode(png, limits(10000)), nullptr);
  for (std::int64_t cap : {9999, 0, -1}) EXPECT_EQ(decoder.decode(png, limits(cap)), nullptr) << cap;
  // 60000 x 60000 pixels would need over 10 GB.
  EXPECT_EQ(decoder.decode(bmpHeaderOnly(60000, 60000), limits(4'000'000)), nullptr);
  EXPECT_EQ(decoder.decode(bmpHeaderOnly(60000, 60000), limits(std::int64_t{1} << 40, {64, 64})), nullptr);
}

}  // namespace
}  // namespace orvane::quick
