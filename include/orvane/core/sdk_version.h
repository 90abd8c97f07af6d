#pragma once

#include <orvane/export.h>

#include <string_view>

namespace ORVANE_EXPORT orvane {

// Reported as "sdkVersion" on events and content requests.
inline constexpr std::string_view SDK_VERSION = "1.0.0";
// Reported as "platform" (and "devicePlatform" on analytics records).
inline constexpr std::string_view SDK_PLATFORM = "IOS";

}  // namespace orvane

// For hosts that ask the linked library which version it is.
extern "C" {
__attribute__((visibility("default"))) extern const double OrvaneStoriesVersionNumber;
__attribute__((visibility("default"))) extern const unsigned char OrvaneStoriesVersionString[];
}
