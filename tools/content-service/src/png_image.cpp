#include "png_image.h"

#include <zlib.h>

#include <array>
#include <stdexcept>

namespace orvane::service {
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

using Rgb = std::array<std::uint8_t, 3>;

std::uint64_t fnv1a(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ULL;
  }
  return hash;
}

// A saturated colour from 16 bits of the hash, so neighbouring names still differ clearly.
Rgb colourFrom(std::uint64_t bits) {
  const double hue = static_cast<double>(bits & 0xFFFF) / 65536.0 * 6.0;
  const int sector = static_cast<int>(hue);
  const double rise = hue - sector;
  const auto up = static_cast<std::uint8_t>(40 + 200 * rise), down = static_cast<std::uint8_t>(240 - 200 * rise);
  constexpr std::uint8_t high = 240, low = 40;
  switch (sector) {
    case 0: return {high, up, low};
    case 1: return {down, high, low};
    case 2: return {low, high, up};
    case 3: return {low, down, high};
    case 4: return {up, low, high};
    default: return {high, low, down};
  }
}

std::uint8_t blend(std::uint8_t from, std::uint8_t to, double weight) {
  return static_cast<std::uint8_t>(from + (to - from) * weight);
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
  const auto hash = fnv1a(name);
  const Rgb from = colourFrom(hash), to = colourFrom(hash >> 16), label = colourFrom(hash >> 32);
  const std::uint32_t bandTop = height * 3 / 5, bandBottom = height * 4 / 5;

  std::vector<std::uint8_t> pixels;
  pixels.reserve(std::size_t{width} * height * 3);
  const double span = static_cast<double>(width) + height - 2;
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const bool inBand = y >= bandTop && y < bandBottom && x >= width / 10 && x < width - width / 10;
      const double weight = span > 0 ? (static_cast<double>(x) + y) / span : 0.0;
      for (std::size_t c = 0; c < 3; ++c) pixels.push_back(inBand ? label[c] : blend(from[c], to[c], weight));
    }
  }
  return encodePng(width, height, pixels);
}

}  // namespace orvane::service
