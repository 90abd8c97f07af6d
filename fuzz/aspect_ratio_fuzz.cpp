// A banner's aspect ratio text comes from the service; whatever it says, the banner gets a
// finite, bounded height.
#include <cmath>
#include <string>

#include <orvane/banners/banner_layout.h>
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const orvane::Banner banner(
      "1", orvane::BannerType::carousel, "home", 0, 5, orvane::BannerLayoutMode::aspectRatio,
      std::string(orvane::fuzz::text(data, size)), std::nullopt, orvane::BannerContentMode::cover, {});
  const double ratio = orvane::aspectRatioValue(banner);
  ORVANE_FUZZ_CHECK(ratio >= orvane::kNarrowestAspectRatio && ratio <= orvane::kWidestAspectRatio);
  ORVANE_FUZZ_CHECK(std::isfinite(orvane::bannerFrame(banner).height(390)));
  return 0;
}
