#include <orvane/media/content_range.h>

#include <algorithm>
#include <charconv>

namespace orvane {
namespace {

constexpr std::uint64_t kLargestSize = std::uint64_t{1} << 53;

std::optional<std::uint64_t> number(std::string_view digits) {
  if (digits.empty() || digits.size() > 16) return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<ContentRange> parseContentRange(std::string_view value) {
  constexpr std::string_view unit = "bytes ";
  if (value.substr(0, unit.size()) != unit) return std::nullopt;
  value.remove_prefix(unit.size());
  const auto dash = value.find('-');
  const auto slash = value.find('/');
  if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) return std::nullopt;
  const auto first = number(value.substr(0, dash));
  const auto last = number(value.substr(dash + 1, slash - dash - 1));
  const auto total = number(value.substr(slash + 1));
  if (!first || !last || !total || *first > *last || *first >= *total || *total > kLargestSize) return std::nullopt;
  return ContentRange{*first, std::min(*last, *total - 1), *total};
}

}  // namespace orvane
