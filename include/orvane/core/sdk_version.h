#pragma once

#include <orvane/export.h>
#include <orvane/version.h>

#include <string_view>

namespace orvane {

// Reported as "sdkVersion" on events and content requests.
inline constexpr std::string_view SDK_VERSION = ORVANE_VERSION_STRING;
// Reported as "platform" (and "devicePlatform" on analytics records).
inline constexpr std::string_view SDK_PLATFORM = "IOS";

}  // namespace orvane

// For hosts that ask the linked library which version it is (the macros of <orvane/version.h>
// say which headers they compiled against): major plus minor hundredths, and a what(1) string.
extern "C" {
ORVANE_EXPORT extern const double OrvaneStoriesVersionNumber;
ORVANE_EXPORT extern const unsigned char OrvaneStoriesVersionString[];
}
