#include "placeholder_picture.h"

#include <algorithm>
#include <array>

namespace orvane::service::placeholders {
namespace {

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

std::vector<std::uint8_t> placeholderPixels(std::string_view name, std::uint32_t width, std::uint32_t height,
                                            double bandPosition) {
  const auto hash = fnv1a(name);
  const Rgb from = colourFrom(hash), to = colourFrom(hash >> 16), label = colourFrom(hash >> 32);
  const auto bandHeight = std::max<std::uint32_t>(1, height / 12);
  const auto bandTop = static_cast<std::uint32_t>(bandPosition * (height - bandHeight));
  const auto bandBottom = bandTop + bandHeight;

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
  return pixels;
}

}  // namespace orvane::service::placeholders
