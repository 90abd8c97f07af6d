// Dates come from the service as text: a date either parses to the instant it names, which then
// formats and parses back to itself, or does not parse at all.
#include <orvane/platform/clock.h>
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (auto date = orvane::parseIso8601(orvane::fuzz::text(data, size))) {
    ORVANE_FUZZ_CHECK(orvane::parseIso8601(orvane::iso8601String(*date)) ==
                      std::chrono::floor<std::chrono::seconds>(*date));
  }
  return 0;
}
