// Links and media addresses come from the service: parsing and rebuilding them must hold up.
#include <orvane/platform/url.h>
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto input = orvane::fuzz::text(data, size);
  if (auto url = orvane::Url::parse(input)) {
    ORVANE_FUZZ_CHECK(url->string() == input);
    (void)url->host();
    ORVANE_FUZZ_CHECK(url->hasScheme() == !url->scheme().empty());
    // Whatever the text, it goes in as one segment and one query value.
    auto extended =
        url->appendingPathComponent(input).withQueryItems({{std::string(input), std::string(input)}});
    ORVANE_FUZZ_CHECK(orvane::Url::parse(extended.string()).has_value());
  }
  const auto encoded = orvane::percentEncode(input);
  ORVANE_FUZZ_CHECK(orvane::Url::parse(encoded).has_value());
  return 0;
}
