#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane::service::placeholders {

// A motion-JPEG AVI file: the placeholder picture of `name` with its band sweeping from top to
// bottom over `seconds`, every frame a key frame. Motion JPEG rather than uncompressed frames:
// decoders hand it on as planar YUV, which every video output draws, while packed 24-bit frames
// are left to each backend's own conversion (Qt 6.4's FFmpeg backend takes them for 32-bit ones
// and shows stripes).
std::string placeholderAvi(std::string_view name, std::uint32_t width, std::uint32_t height,
                           std::uint32_t seconds, std::uint32_t framesPerSecond = 8);

}  // namespace orvane::service::placeholders
