// Theme colours come from the service as hex text.
#include <string_view>

#include <orvane/model/color.h>
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto color = orvane::colorFromHex(orvane::fuzz::text(data, size), orvane::systemPink);
  for (double component : {color.red, color.green, color.blue, color.alpha})
    ORVANE_FUZZ_CHECK(component >= 0.0 && component <= 1.0);
  const double luminance = orvane::relativeLuminance(color);
  ORVANE_FUZZ_CHECK(luminance >= 0.0 && luminance <= 1.0);
  return 0;
}
