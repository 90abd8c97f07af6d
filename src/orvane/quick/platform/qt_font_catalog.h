#pragma once

#include <orvane/platform/fonts.h>

namespace orvane::quick {

// The font families Qt can draw, including the application's own added at run time.
class QtFontCatalog final : public FontCatalog {
 public:
  // Family names compare without regard to case, as Qt matches them. Negative or non-finite
  // sizes have no font.
  bool hasFont(const std::string& family, double size) const override;
};

}  // namespace orvane::quick
