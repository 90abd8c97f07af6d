#pragma once

#include <orvane/export.h>

#include <string_view>

namespace orvane {

// Reported as "sdkVersion" on events and content requests.
inline constexpr std::string_view SDK_VERSION = "1.0.0";
// Reported as "platform" (and "devicePlatform" on analytics records).
inline constexpr std::string_view SDK_PLATFORM = "IOS";

}  // namespace orvane

// For hosts that ask the linked library which version it is.
extern "C" {
ORVANE_EXPORT extern const double OrvaneStoriesVersionNumber;
ORVANE_EXPORT extern const unsigned char OrvaneStoriesVersionString[];
}
