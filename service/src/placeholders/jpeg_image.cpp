#include "jpeg_image.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace orvane::service::placeholders {
namespace {

// libjpeg's default error handler exits the process; this one jumps back to the caller instead.
struct ErrorJump {
  jpeg_error_mgr manager;
  std::jmp_buf back;
  char message[JMSG_LENGTH_MAX];
};

void jumpBack(j_common_ptr codec) {
  auto* error = reinterpret_cast<ErrorJump*>(codec->err);
  (*codec->err->format_message)(codec, error->message);
  std::longjmp(error->back, 1);
}

// BT.601 with luma in 16...235 and chroma in 16...240.
std::vector<std::uint8_t> videoRangeYCbCr(const std::vector<std::uint8_t>& rgb) {
  std::vector<std::uint8_t> out(rgb.size());
  const auto level = [](double value) {
    return static_cast<std::uint8_t>(std::clamp(value + 0.5, 0.0, 255.0));
  };
  for (std::size_t at = 0; at + 2 < rgb.size(); at += 3) {
    const double r = rgb[at], g = rgb[at + 1], b = rgb[at + 2];
    out[at] = level(16 + (65.481 * r + 128.553 * g + 24.966 * b) / 255);
    out[at + 1] = level(128 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255);
    out[at + 2] = level(128 + (112.0 * r - 93.786 * g - 18.214 * b) / 255);
  }
  return out;
}

// Only plain data lives in this frame, so the jump out of libjpeg skips no destructor.
bool compress(const std::uint8_t* ycbcr, JDIMENSION width, JDIMENSION height, int quality,
              unsigned char** out, unsigned long* size, ErrorJump& error) {
  jpeg_compress_struct codec;
  codec.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = jumpBack;
  if (setjmp(error.back) != 0) {
    jpeg_destroy_compress(&codec);
    return false;
  }
  jpeg_create_compress(&codec);
  jpeg_mem_dest(&codec, out, size);
  codec.image_width = width;
  codec.image_height = height;
  codec.input_components = 3;
  codec.in_color_space = JCS_YCbCr;
  jpeg_set_defaults(&codec);
  jpeg_set_quality(&codec, quality, TRUE);
  codec.write_JFIF_header = FALSE;  // JFIF means full range
  jpeg_start_compress(&codec, TRUE);
  static constexpr char kRange[] = "CS=ITU601";
  jpeg_write_marker(&codec, JPEG_COM, reinterpret_cast<const JOCTET*>(kRange), sizeof kRange - 1);
  while (codec.next_scanline < codec.image_height) {
    auto* row = const_cast<JSAMPROW>(ycbcr + std::size_t{codec.next_scanline} * width * 3);
    jpeg_write_scanlines(&codec, &row, 1);
  }
  jpeg_finish_compress(&codec);
  jpeg_destroy_compress(&codec);
  return true;
}

}  // namespace

std::string videoRangeJpeg(const std::vector<std::uint8_t>& rgb, std::uint32_t width, std::uint32_t height,
                           int quality) {
  if (width == 0 || height == 0 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION ||
      rgb.size() != std::size_t{width} * height * 3)
    throw std::invalid_argument("a JPEG needs sides up to 65500 and three bytes per pixel");
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  ErrorJump error{};
  const auto ycbcr = videoRangeYCbCr(rgb);
  const bool written = compress(ycbcr.data(), width, height, quality, &buffer, &size, error);
  const std::unique_ptr<unsigned char, decltype(&std::free)> owned(buffer, &std::free);
  if (!written) throw std::runtime_error(std::string("JPEG encoder: ") + error.message);
  return std::string(reinterpret_cast<const char*>(buffer), size);
}

}  // namespace orvane::service::placeholders
