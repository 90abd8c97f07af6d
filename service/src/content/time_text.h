#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace orvane::service::content {

// Internet date-time texts as the SDK decodes them: "2024-05-01T12:30:00Z" or with an offset
// ("+02:00"), whole seconds only. In seconds: the clock's own nanoseconds end in 2262, and an end
// date of 2999 is a fair way to say "never".
std::optional<std::chrono::sys_seconds> parseDateTime(std::string_view text);

// UTC with "Z", whole seconds.
std::string formatDateTime(std::chrono::system_clock::time_point time);

}  // namespace orvane::service::content
