// Locale identifiers reach request queries and event records; any identifier and region the
// platform reports (the input: identifier, a newline, then the region) must give well-formed tags.
#include <cctype>
#include <string>

#include <orvane/core/locale_tags.h>
#include "fuzz_input.h"

namespace {

class InputLocale final : public orvane::LocaleInfo {
 public:
  explicit InputLocale(std::string_view input) {
    const auto newline = input.find('\n');
    identifier_ = std::string(input.substr(0, newline));
    if (newline != std::string_view::npos) region_ = std::string(input.substr(newline + 1));
  }
  std::string identifier() const override { return identifier_; }
  std::optional<std::string> regionCode() const override { return region_; }

 private:
  std::string identifier_;
  std::optional<std::string> region_;
};

bool lettersAndDashes(const std::string& text) {
  for (unsigned char c : text) {
    if (c != '-' && std::isalpha(c) == 0) return false;
  }
  return !text.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const InputLocale locale(orvane::fuzz::text(data, size));
  if (auto tag = orvane::requestLocale(locale)) ORVANE_FUZZ_CHECK(lettersAndDashes(*tag));
  ORVANE_FUZZ_CHECK(lettersAndDashes(orvane::sdkLocale(locale)));
  if (auto country = orvane::requestCountry(locale)) ORVANE_FUZZ_CHECK(lettersAndDashes(*country));
  if (auto country = orvane::analyticsCountry(locale)) ORVANE_FUZZ_CHECK(country->size() == 2);
  return 0;
}
