#include <orvane/model/color.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include <orvane/model/trimming.h>

namespace orvane {
namespace {

std::optional<std::uint32_t> hexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<std::uint32_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<std::uint32_t>(c - 'A' + 10);
  return std::nullopt;
}

// Signs are not digits here: "+12345" is not a colour.
std::optional<std::uint32_t> readHex(std::string_view digits) {
  std::uint32_t value = 0;
  for (char c : digits) {
    auto digit = hexDigit(c);
    if (!digit) return std::nullopt;
    value = value * 16 + *digit;
  }
  return value;
}

double component(std::uint32_t rgb, int shift) { return static_cast<double>((rgb >> shift) & 0xFFu) / 255.0; }

double linearised(double c) {
  c = std::isnan(c) ? 0.0 : std::clamp(c, 0.0, 1.0);
  return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

Color colorFromHex(std::optional<std::string_view> hex, Color fallback) {
  if (!hex) return fallback;
  std::string_view text = trimmingWhitespaceAndNewlines(*hex);
  if (text.empty()) return fallback;
  if (text.front() == '#') text.remove_prefix(1);

  std::string digits(text);
  if (digits.size() == 3) digits = {digits[0], digits[0], digits[1], digits[1], digits[2], digits[2]};
  if (digits.size() != 6) return fallback;

  auto rgb = readHex(digits);
  if (!rgb) return fallback;
  return Color{component(*rgb, 16), component(*rgb, 8), component(*rgb, 0), 1.0};
}

double relativeLuminance(const Color& color) {
  return 0.2126 * linearised(color.red) + 0.7152 * linearised(color.green) + 0.0722 * linearised(color.blue);
}

}  // namespace orvane
