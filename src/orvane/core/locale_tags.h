#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>

#include <orvane/platform/locale.h>

namespace orvane {

// BCP 47-style language tag of the current locale ("en-US", "zh-HANT", "de"): the identifier's
// first part as a 2-8 letter language, plus its second part as a 2-8 letter region when it has
// one. Absent when the identifier gives no such language.
ORVANE_EXPORT std::optional<std::string> requestLocale(const LocaleInfo& locale);

// The same tag for service events, which always carry one: "en" where requestLocale is absent.
ORVANE_EXPORT std::string sdkLocale(const LocaleInfo& locale);

// The locale's region code upper-cased, when it is 2 to 8 letters.
ORVANE_EXPORT std::optional<std::string> requestCountry(const LocaleInfo& locale);

// The locale's region code upper-cased, when it is exactly two letters.
ORVANE_EXPORT std::optional<std::string> analyticsCountry(const LocaleInfo& locale);

}  // namespace orvane
