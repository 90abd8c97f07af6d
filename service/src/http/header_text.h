#pragma once

#include <algorithm>
#include <string_view>

namespace orvane::service::http {

// Header values may be padded with spaces and tabs around their tokens.
inline std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Header tokens compare without regard to ASCII case.
inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return (x | 0x20) == (y | 0x20); });
}

// Whether an If-None-Match value names `etag`. The comparison is weak: W/"x" matches "x".
inline bool noneMatchHits(std::string_view header, std::string_view etag) {
  const auto withoutWeakPrefix = [](std::string_view tag) { return tag.substr(0, 2) == "W/" ? tag.substr(2) : tag; };
  if (trimmed(header) == "*") return true;
  while (!header.empty()) {
    std::size_t comma = header.find(',');
    if (withoutWeakPrefix(trimmed(header.substr(0, comma))) == withoutWeakPrefix(etag)) return true;
    header = comma == std::string_view::npos ? std::string_view() : header.substr(comma + 1);
  }
  return false;
}

}  // namespace orvane::service::http
