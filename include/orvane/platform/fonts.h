#pragma once

#include <orvane/export.h>

#include <string>

namespace orvane {

// The font families the host can draw, so that a theme's family falls back to the system font
// when it is missing.
//
// \code
// class NoCustomFonts final : public FontCatalog {
//  public:
//   bool hasFont(const std::string&, double) const override { return false; }
// };
// \endcode
class ORVANE_EXPORT FontCatalog {
 public:
  virtual ~FontCatalog() = default;
  // Whether `family` is installed and can be drawn at `size` points.
  virtual bool hasFont(const std::string& family, double size) const = 0;
};

}  // namespace orvane
