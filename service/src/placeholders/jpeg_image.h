#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::service::placeholders {

// A baseline JPEG (4:2:0, with its own Huffman tables) of RGB pixels given row by row, for a
// motion-JPEG video frame: its samples are video-range BT.601 YCbCr (luma 16 to 235) and it says
// so with a "CS=ITU601" comment, so a decoder hands them on with the range video outputs expect.
// Full-range (JFIF) samples come out of Qt 6.4's FFmpeg backend stretched and clipped. Throws
// std::invalid_argument on bad sides, std::runtime_error when the encoder refuses.
std::string videoRangeJpeg(const std::vector<std::uint8_t>& rgb, std::uint32_t width, std::uint32_t height,
                           int quality = 92);

}  // namespace orvane::service::placeholders
