#pragma once

#include <orvane/export.h>

#include <orvane/model/banner.h>

namespace orvane {

// How tall a banner's content is: an exact height, or the full offered width over a ratio.
class ORVANE_EXPORT BannerFrame {
 public:
  enum class Kind { fixedHeight, aspectRatio };

  static BannerFrame fixedHeight(double height) { return BannerFrame(Kind::fixedHeight, height); }
  static BannerFrame aspectRatio(double widthToHeight) {
    return BannerFrame(Kind::aspectRatio, widthToHeight);
  }

  Kind kind() const { return kind_; }
  // fixedHeight: the height in points; aspectRatio: width divided by height.
  double value() const { return value_; }
  // The content's height when it is offered `width` points.
  double height(double width) const { return kind_ == Kind::fixedHeight ? value_ : width / value_; }

  bool operator==(const BannerFrame&) const = default;

 private:
  BannerFrame(Kind kind, double value) : kind_(kind), value_(value) {}

  Kind kind_;
  double value_;
};

inline constexpr double kNarrowestAspectRatio = 1.0 / 20.0;
inline constexpr double kWidestAspectRatio = 20.0;

// Width over height from the banner's "w:h" text; square for story banners and 16:9 otherwise
// when the text is absent, unusable or outside 1:20 to 20:1.
ORVANE_EXPORT double aspectRatioValue(const Banner& banner);

// A fixed height only in the fixed-height mode with a height of at least one point; the modes
// auto and aspect-ratio, and a fixed height without a usable height, size by aspect ratio.
ORVANE_EXPORT BannerFrame bannerFrame(const Banner& banner);

}  // namespace orvane
