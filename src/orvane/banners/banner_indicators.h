#pragma once

#include <orvane/export.h>

#include <cstddef>
#include <vector>

#include <orvane/banners/banner_render_state.h>

namespace orvane {

// The position indicator drawn over a slide: story banners fill bars, carousels show dots, and a
// static banner or a single visible slide shows none.
enum class BannerIndicator { none, dots, bars };
ORVANE_EXPORT BannerIndicator bannerIndicator(const BannerRenderState& state);

// Carousel dots are 5 points tall; the active one is a short pill.
inline constexpr double kBannerDotHeight = 5;
inline constexpr double kBannerDotWidth = 5;
inline constexpr double kBannerActiveDotWidth = 12;

// The width of each of `count` dots.
ORVANE_EXPORT std::vector<double> bannerDotWidths(std::size_t count, std::size_t activeIndex);

// The fill (0...1) of each of `count` story bars: bars before the active one are full, those
// after it empty, and the active one shows `activeProgress` clamped into 0...1 (NaN gives 0).
ORVANE_EXPORT std::vector<double> storyBarFills(std::size_t count, std::size_t activeIndex, double activeProgress);

}  // namespace orvane
