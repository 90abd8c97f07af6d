#include "png_image.h"

#include "placeholder_picture.h"

#include <zlib.h>

#include <array>
#include <stdexcept>

namespace orvane::service::placeholders {
namespace {

void appendBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void appendChunk(std::string& out, const char (&type)[5], const std::string& data) {
  appendBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::string typed = std::string(type, 4) + data;
  out += typed;
  auto crc = crc32(0L, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()));
  appendBigEndian(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::string encodePng(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& rgb) {
  if (width == 0 || height == 0 || rgb.size() != std::size_t{width} * height * 3)
    throw std::invalid_argument("pixel data does not match the picture size");

  std::string raw;  // each row starts with filter type 0 (none)
  raw.reserve((std::size_t{width} * 3 + 1) * height);
  for (std::uint32_t row = 0; row < height; ++row) {
    raw.push_back('\0');
    raw.append(reinterpret_cast<const char*>(rgb.data()) + std::size_t{row} * width * 3, std::size_t{width} * 3);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                static_cast<uLong>(raw.size()), Z_BEST_SPEED) != Z_OK)
    throw std::runtime_error("could not compress the picture");
  packed.resize(packedSize);

  std::string header;
  appendBigEndian(header, width);
  appendBigEndian(header, height);
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace

  std::string png("\x89PNG\r\n\x1a\n", 8);
  appendChunk(png, "IHDR", header);
  appendChunk(png, "IDAT", packed);
  appendChunk(png, "IEND", {});
  return png;
}

std::string placeholderPng(std::string_view name, std::uint32_t width, std::uint32_t height) {
  return encodePng(width, height, placeholderPixels(name, width, height));
}

}  // namespace orvane::service::placeholders
