#include <orvane/storage/http_cache_policy.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

#include <orvane/platform/ascii_text.h>

namespace orvane {
namespace {

constexpr std::size_t kMaxEtagLength = 256;
// Delta-seconds past this are read as this (about 68 years), as the HTTP caching rules ask.
constexpr std::int64_t kMaxDeltaSeconds = 2147483648;

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Absent when the text is no run of digits (quoted or not).
std::optional<std::int64_t> deltaSeconds(std::string_view text) {
  text = trimmed(text);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
  if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    value = value * 10 + (c - '0');
    if (value >= kMaxDeltaSeconds) return kMaxDeltaSeconds;
  }
  return value;
}

bool isSendableEtag(std::string_view etag) {
  return !etag.empty() && etag.size() <= kMaxEtagLength &&
         std::all_of(etag.begin(), etag.end(), [](char c) { return c > 0x20 && c < 0x7f; });
}

}  // namespace

HttpCachePolicy cachePolicyOf(const HttpResponse& response) {
  HttpCachePolicy policy;
  std::optional<std::int64_t> maxAge;
  bool noCache = false;
  // Every Cache-Control field counts: a header may be split over several lines.
  for (const auto& [name, value] : response.headers) {
    if (!equalIgnoringAsciiCase(name, "Cache-Control")) continue;
    std::string_view rest = value;
    while (!rest.empty()) {
      const auto comma = rest.find(',');
      const auto directive = trimmed(rest.substr(0, comma));
      rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
      const auto equals = directive.find('=');
      const auto word = trimmed(directive.substr(0, equals));
      if (equalIgnoringAsciiCase(word, "no-store")) {
        policy.store = false;
      } else if (equalIgnoringAsciiCase(word, "no-cache")) {
        noCache = true;
      } else if (equalIgnoringAsciiCase(word, "must-revalidate")) {
        policy.usableWhenStale = false;
      } else if (equalIgnoringAsciiCase(word, "max-age")) {
        const auto seconds =
            equals == std::string_view::npos ? std::nullopt : deltaSeconds(directive.substr(equals + 1));
        // Of several, the shortest: the one most careful with the content.
        maxAge = std::min(maxAge.value_or(kMaxDeltaSeconds), seconds.value_or(0));
      }
    }
  }
  std::int64_t age = 0;
  if (const auto* ageField = response.header("Age")) age = deltaSeconds(*ageField).value_or(0);

  if (noCache) {
    policy.usableWhenStale = false;
    policy.freshFor = std::chrono::seconds{0};
  } else if (maxAge) {
    policy.freshFor = std::chrono::seconds{std::max<std::int64_t>(0, *maxAge - age)};
  } else {
    policy.freshFor = HttpCachePolicy::kHeuristicLifetime;
  }
  if (const auto* etag = response.header("ETag")) {
    const auto value = trimmed(*etag);
    if (isSendableEtag(value)) policy.etag = std::string(value);
  }
  return policy;
}

}  // namespace orvane
