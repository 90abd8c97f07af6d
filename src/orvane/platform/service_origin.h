#pragma once

#include <string_view>

namespace orvane {

// Where the content service answers every environment. Platform::serviceOrigin sends the default
// transport's requests for this origin elsewhere.
inline constexpr std::string_view kServiceOrigin = "https://api.orvane.io";

}  // namespace orvane
