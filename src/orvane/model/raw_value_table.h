#pragma once

#include <orvane/export.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace orvane {

// The raw values of an enumeration, one per case, in case order.
template <typename Enum, std::size_t Count>
class RawValueTable {
 public:
  constexpr explicit RawValueTable(std::array<std::pair<Enum, std::string_view>, Count> entries)
      : entries_(entries) {}

  constexpr std::string_view rawValue(Enum value) const {
    for (const auto& [candidate, raw] : entries_) {
      if (candidate == value) return raw;
    }
    return {};
  }

  constexpr std::optional<Enum> fromRawValue(std::string_view raw) const {
    for (const auto& [candidate, candidateRaw] : entries_) {
      if (candidateRaw == raw) return candidate;
    }
    return std::nullopt;
  }

 private:
  std::array<std::pair<Enum, std::string_view>, Count> entries_;
};

}  // namespace orvane
