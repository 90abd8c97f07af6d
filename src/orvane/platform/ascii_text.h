#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace orvane {

// Protocol words (schemes, hosts, header names, UUIDs) compare in ASCII whatever the process's
// locale: <cctype> follows the locale a host sets, and in some a single byte maps elsewhere.

constexpr char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

constexpr bool isAsciiAlphanumeric(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

constexpr bool isAsciiHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

inline std::string asciiLowercased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), asciiLower);
  return text;
}

inline std::string asciiUppercased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), asciiUpper);
  return text;
}

constexpr bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

}  // namespace orvane
