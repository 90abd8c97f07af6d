#include <orvane/banners/banner_layout.h>

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

namespace orvane {
namespace {

std::vector<std::string_view> nonEmptyPieces(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  while (!text.empty()) {
    const auto cut = text.find(separator);
    const auto piece = text.substr(0, cut);
    if (!piece.empty()) pieces.push_back(piece);
    if (cut == std::string_view::npos) break;
    text.remove_prefix(cut + 1);
  }
  return pieces;
}

// The whole piece must be one number (exponents allowed; blanks, units and commas are not).
// Infinities and NaN are refused: they would give a banner no height or an endless one.
std::optional<double> positiveNumber(std::string_view piece) {
  double value = 0;
  const auto* end = piece.data() + piece.size();
  const auto [stop, error] = std::from_chars(piece.data(), end, value);
  if (error != std::errc() || stop != end || !std::isfinite(value) || !(value > 0)) return std::nullopt;
  return value;
}

}  // namespace

double aspectRatioValue(const Banner& banner) {
  const double fallback = banner.type() == BannerType::story ? 1.0 : 16.0 / 9.0;
  if (!banner.bannerAspectRatio()) return fallback;

  const auto pieces = nonEmptyPieces(*banner.bannerAspectRatio(), ':');
  if (pieces.size() != 2) return fallback;
  const auto width = positiveNumber(pieces[0]);
  const auto height = positiveNumber(pieces[1]);
  if (!width || !height) return fallback;
  // Extreme pairs overflow, vanish or give a strip no screen can show; none is a usable shape.
  const double ratio = *width / *height;
  return ratio >= kNarrowestAspectRatio && ratio <= kWidestAspectRatio ? ratio : fallback;
}

BannerFrame bannerFrame(const Banner& banner) {
  const auto height = banner.bannerFixedHeight();
  if (banner.bannerLayoutMode() == BannerLayoutMode::fixedHeight && height && *height >= 1) {
    return BannerFrame::fixedHeight(static_cast<double>(*height));
  }
  return BannerFrame::aspectRatio(aspectRatioValue(banner));
}

}  // namespace orvane
