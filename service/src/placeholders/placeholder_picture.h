#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace orvane::service::placeholders {

// RGB pixels, row by row, of a picture that tells names apart at a glance: a diagonal gradient
// between two colours derived from `name`, crossed by a thin band of a third. `bandPosition` 0 puts
// the band at the top, 1 at the bottom; still pictures keep it high, clear of the widget cards
// that sit low on a story page. Same name, same picture.
std::vector<std::uint8_t> placeholderPixels(std::string_view name, std::uint32_t width, std::uint32_t height,
                                            double bandPosition = 0.2);

}  // namespace orvane::service::placeholders
