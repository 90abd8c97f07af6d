#include <orvane/quick/banners/banner_indicator_geometry.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include <orvane/banners/banner_indicators.h>

namespace orvane::quick {
namespace {

QList<qreal> qtList(const std::vector<double>& values) { return QList<qreal>(values.begin(), values.end()); }

std::size_t countOf(int count) { return static_cast<std::size_t>(std::max(count, 0)); }

}  // namespace

qreal BannerIndicatorGeometry::dotHeight() const { return kBannerDotHeight; }

QList<qreal> BannerIndicatorGeometry::dotWidths(int count, int activeIndex) const {
  const auto dots = countOf(count);
  return qtList(bannerDotWidths(dots, activeIndex < 0 ? dots : static_cast<std::size_t>(activeIndex)));
}

QList<qreal> BannerIndicatorGeometry::barFills(int count, int activeIndex, qreal activeProgress) const {
  const auto bars = countOf(count);
  if (activeIndex < 0) return QList<qreal>(static_cast<qsizetype>(bars), 0.0);
  return qtList(storyBarFills(bars, static_cast<std::size_t>(activeIndex), activeProgress));
}

}  // namespace orvane::quick
