#pragma once

#include <orvane/export.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvane {

// What a 206 answer says it carries: bytes first...last (inclusive) of a file of `total` bytes.
struct ORVANE_EXPORT ContentRange {
  std::uint64_t first = 0;
  std::uint64_t last = 0;
  std::uint64_t total = 0;

  std::uint64_t length() const { return last - first + 1; }
  bool operator==(const ContentRange&) const = default;
};

// Reads "bytes FIRST-LAST/TOTAL" strictly: digits only, first <= last, first < total, no unknown
// total ("*"), no sizes past 2^53 (no real video is; a larger one is a server bug or a lie). A last
// byte past the end, as some servers write when asked for more than there is, is read as the end;
// the answer's length must then match that.
ORVANE_EXPORT std::optional<ContentRange> parseContentRange(std::string_view value);

}  // namespace orvane
