#include <gtest/gtest.h>
#include <zlib.h>

#include "service_harness.h"

namespace orvane::service::app::testing {
namespace {

class PlaceholderMedia : public ::testing::Test {
 protected:
  httplib::Client& client() { return harness_.client(); }
  ServiceHarness harness_;
};

std::uint32_t bigEndian(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

TEST_F(PlaceholderMedia, GeneratesDecodablePngImagesPerName) {
  auto image = client().Get("/images/welcome-1.png?w=40&h=20");
  ASSERT_EQ(image->status, 200);
  EXPECT_EQ(image->get_header_value("Content-Type"), "image/png");
  const auto& png = image->body;
  ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  ASSERT_EQ(png.substr(12, 4), "IHDR");
  EXPECT_EQ(bigEndian(png, 16), 40u);
  EXPECT_EQ(bigEndian(png, 20), 20u);
  EXPECT_EQ(bigEndian(png, 29), crc32(0L, reinterpret_cast<const Bytef*>(png.data() + 12), 17));

  const std::size_t idat = 33;
  ASSERT_EQ(png.substr(idat + 4, 4), "IDAT");
  std::string pixels((40 * 3 + 1) * 20 + 1, '\0');
  uLongf size = pixels.size();
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(pixels.data()), &size,
                       reinterpret_cast<const Bytef*>(png.data() + idat + 8), bigEndian(png, idat)),
            Z_OK);
  EXPECT_EQ(size, (40u * 3 + 1) * 20);

  EXPECT_EQ(client().Get("/images/welcome-1.png?w=40&h=20")->body, png);
  EXPECT_NE(client().Get("/images/welcome-2.png?w=40&h=20")->body, png);
  EXPECT_EQ(client().Get("/images/a.png?w=0")->status, 400);
  EXPECT_EQ(client().Get("/images/a.png?h=4096")->status, 400);
}

std::uint32_t littleEndian(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

TEST_F(PlaceholderMedia, GeneratesIndexedMotionJpegVideosWithinASizeBound) {
  auto video = client().Get("/videos/intro.avi?w=10&h=6&s=2");
  ASSERT_EQ(video->status, 200);
  EXPECT_EQ(video->get_header_value("Content-Type"), "video/x-msvideo");
  const auto& avi = video->body;
  ASSERT_GE(avi.size(), 12u);
  EXPECT_EQ(avi.substr(0, 4), "RIFF");
  EXPECT_EQ(littleEndian(avi, 4), avi.size() - 8);
  EXPECT_EQ(avi.substr(8, 4), "AVI ");
  EXPECT_NE(avi.find("vidsMJPG"), std::string::npos);

  // 16 frames (2 s at 8 fps), each a whole JPEG in the chunk the index points at.
  const auto movie = avi.find("movi");
  const auto index = avi.find("idx1");
  ASSERT_NE(movie, std::string::npos);
  ASSERT_NE(index, std::string::npos);
  ASSERT_EQ(littleEndian(avi, index + 4), 16u * 16);
  std::size_t expectedOffset = 4;
  for (std::size_t frame = 0; frame < 16; ++frame) {
    const auto entry = index + 8 + frame * 16;
    EXPECT_EQ(avi.substr(entry, 4), "00dc");
    const auto offset = littleEndian(avi, entry + 8), size = littleEndian(avi, entry + 12);
    EXPECT_EQ(offset, expectedOffset);
    const auto chunk = movie + offset;
    ASSERT_LE(chunk + 8 + size, index);
    EXPECT_EQ(avi.substr(chunk, 4), "00dc");
    EXPECT_EQ(littleEndian(avi, chunk + 4), size);
    EXPECT_EQ(avi.substr(chunk + 8, 2), "\xFF\xD8") << "frame " << frame;
    EXPECT_EQ(avi.substr(chunk + 8 + size - 2, 2), "\xFF\xD9") << "frame " << frame;
    expectedOffset += 8 + size + size % 2;
  }
  EXPECT_EQ(movie + expectedOffset, index);

  EXPECT_NE(client().Get("/videos/intro.avi?w=10&h=6&s=3")->body, avi);
  EXPECT_EQ(client().Get("/videos/intro.avi?s=31")->status, 400);
  EXPECT_EQ(client().Get("/videos/intro.avi?w=2048&h=2048")->status, 400);
}

}  // namespace
}  // namespace orvane::service::app::testing
