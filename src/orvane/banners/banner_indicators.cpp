#include <orvane/banners/banner_indicators.h>

#include <algorithm>

namespace orvane {

BannerIndicator bannerIndicator(const BannerRenderState& state) {
  if (state.items().size() < 2) return BannerIndicator::none;
  switch (state.banner().type()) {
    case BannerType::story:
      return BannerIndicator::bars;
    case BannerType::carousel:
      return BannerIndicator::dots;
    case BannerType::static_:
      return BannerIndicator::none;
  }
  return BannerIndicator::none;
}

std::vector<double> bannerDotWidths(std::size_t count, std::size_t activeIndex) {
  std::vector<double> widths(count, kBannerDotWidth);
  if (activeIndex < count) widths[activeIndex] = kBannerActiveDotWidth;
  return widths;
}

std::vector<double> storyBarFills(std::size_t count, std::size_t activeIndex, double activeProgress) {
  std::vector<double> fills(count, 0.0);
  std::fill(fills.begin(), fills.begin() + static_cast<std::ptrdiff_t>(std::min(activeIndex, count)), 1.0);
  // Written so that NaN fails the comparison and stays empty.
  if (activeIndex < count && activeProgress > 0) fills[activeIndex] = std::min(activeProgress, 1.0);
  return fills;
}

}  // namespace orvane
