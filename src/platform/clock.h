#pragma once

#include <orvane/export.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace ORVANE_EXPORT orvane {

using Date = std::chrono::system_clock::time_point;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual Date now() const = 0;
};

// UTC internet date-time with whole seconds and "Z", e.g. 2024-05-01T12:30:00Z.
std::string iso8601String(Date date);
// Reads an internet date-time with a zone ("Z" or +hh:mm), without fractional seconds.
// Absent for anything else, including impossible dates such as February 30.
std::optional<Date> parseIso8601(std::string_view text);

}  // namespace orvane
