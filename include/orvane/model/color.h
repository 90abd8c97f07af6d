#pragma once

#include <orvane/export.h>

#include <optional>
#include <string_view>

namespace orvane {

// An sRGB colour with components in [0, 1].
//
// \code
// const Color accent = colorFromHex("#FF9500", systemOrange);
// const bool darkText = relativeLuminance(accent) > 0.5;
// \endcode
struct ORVANE_EXPORT Color {
  // The components, each in [0, 1]; alpha 1 is opaque.
  //@{
  double red;
  double green;
  double blue;
  double alpha;
  //@}

  // Component by component.
  bool operator==(const Color&) const = default;
};

// The default theme's colours.
//@{
inline constexpr Color systemOrange{1.0, 149.0 / 255.0, 0.0, 1.0};
inline constexpr Color systemPink{1.0, 45.0 / 255.0, 85.0 / 255.0, 1.0};
//@}

// Reads "#RRGGBB", "RRGGBB" or the short "#RGB" (surrounding white space allowed, hex digits in
// any case). Anything else, including codes with alpha and colour names, gives the fallback.
ORVANE_EXPORT Color colorFromHex(std::optional<std::string_view> hex, Color fallback);

// WCAG relative luminance in [0, 1]; components outside [0, 1] count as the nearest bound.
ORVANE_EXPORT double relativeLuminance(const Color& color);

}  // namespace orvane
