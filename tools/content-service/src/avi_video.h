#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane::service {

// An AVI file of uncompressed 24-bit frames: the placeholder picture of `name` with its band
// sweeping from top to bottom over `seconds`. Uncompressed so any player's demuxer can show it
// without a codec; small sides keep it to a few megabytes.
std::string placeholderAvi(std::string_view name, std::uint32_t width, std::uint32_t height, std::uint32_t seconds,
                           std::uint32_t framesPerSecond = 8);

}  // namespace orvane::service
