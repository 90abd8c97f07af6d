#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <orvane/platform/url.h>

namespace orvane {

// A call-to-action or swipe link as the service's editors type it: trimmed, blank meaning none,
// and a scheme-less "host/path" taken as an https link.
std::optional<Url> parseLinkURL(const std::optional<std::string>& text);

// A media or image address exactly as given. The empty text addresses nothing.
std::optional<Url> parseMediaURL(std::string_view text);

}  // namespace orvane
