#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::service::placeholders {

// A PNG file of 8-bit RGB pixels given row by row, top to bottom.
std::string encodePng(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& rgb);

// A picture that tells images apart at a glance: a diagonal gradient between two colours
// derived from `name`, crossed by a band of a third, its label colour. Same name, same picture.
std::string placeholderPng(std::string_view name, std::uint32_t width, std::uint32_t height);

}  // namespace orvane::service::placeholders
