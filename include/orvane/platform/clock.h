#pragma once

#include <orvane/export.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// Microseconds in 64 bits: every instant of years 0000-9999 exactly, with the precision timing
// needs. The system clock's own time point counts nanoseconds and ends in 2262.
using Date = std::chrono::sys_time<std::chrono::microseconds>;

// The wall clock, so that tests can set the time.
//
// \code
// const std::string stamp = iso8601String(platform.clock->now());  // "2024-05-01T12:30:00Z"
// \endcode
class ORVANE_EXPORT Clock {
 public:
  virtual ~Clock() = default;
  // The current instant.
  virtual Date now() const = 0;
};

// UTC internet date-time with whole seconds and "Z", e.g. 2024-05-01T12:30:00Z. A date before
// year 0000 or after 9999 (never one parseIso8601 gave) is written as the nearest end of that range.
ORVANE_EXPORT std::string iso8601String(Date date);
// Reads an internet date-time with a zone ("Z" or +hh:mm), without fractional seconds, whose
// instant falls in years 0000-9999 in UTC, so that iso8601String writes it back.
// Absent for anything else, including impossible dates such as February 30.
ORVANE_EXPORT std::optional<Date> parseIso8601(std::string_view text);

}  // namespace orvane
