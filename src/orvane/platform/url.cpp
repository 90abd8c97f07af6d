#include <orvane/platform/url.h>

#include <orvane/platform/ascii_text.h>

#include <orvane/platform/parsed_uri.h>

#include <algorithm>

namespace orvane {
namespace {

std::string rangeText(const UriTextRangeA& range) {
  if (range.first == nullptr || range.afterLast == nullptr) return {};
  return {range.first, range.afterLast};
}

bool isUnreserved(unsigned char c) {
  return isAsciiAlphanumeric(static_cast<char>(c)) || c == '-' || c == '.' || c == '_' || c == '~';
}

// Splits "scheme://host/path?query#fragment" before the query (or fragment).
std::size_t endOfPath(const std::string& text) {
  auto end = text.find_first_of("?#");
  return end == std::string::npos ? text.size() : end;
}


}  // namespace

std::optional<Url> Url::parse(std::string_view text) {
  std::string owned(text);
  // uriparser stops at an embedded NUL; such text is no URL.
  if (owned.find('\0') != std::string::npos) return std::nullopt;
  ParsedUri parsed(owned);
  if (!parsed.ok()) return std::nullopt;
  return Url(std::move(owned));
}

std::string Url::scheme() const {
  ParsedUri parsed(text_);
  return parsed.ok() ? asciiLowercased(rangeText(parsed.uri().scheme)) : std::string();
}

std::string Url::host() const {
  ParsedUri parsed(text_);
  return parsed.ok() ? rangeText(parsed.uri().hostText) : std::string();
}

std::string percentEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (isUnreserved(c)) {
      out.push_back(ch);
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0xF]);
    }
  }
  return out;
}

Url Url::appendingPathComponent(std::string_view segment) const {
  auto split = endOfPath(text_);
  std::string result = text_.substr(0, split);
  if (result.empty() || result.back() != '/') result.push_back('/');
  if (segment == "." || segment == "..") {
    for (std::size_t i = 0; i < segment.size(); ++i) result += "%2E";
  } else {
    result += percentEncode(segment);
  }
  result += text_.substr(split);
  return Url(std::move(result));
}

Url Url::withQueryItems(const std::vector<std::pair<std::string, std::string>>& items) const {
  std::string result = text_.substr(0, endOfPath(text_));
  auto fragment = text_.find('#');
  char separator = '?';
  for (const auto& [name, value] : items) {
    result.push_back(separator);
    result += percentEncode(name);
    result.push_back('=');
    result += percentEncode(value);
    separator = '&';
  }
  if (fragment != std::string::npos) result += text_.substr(fragment);
  return Url(std::move(result));
}

}  // namespace orvane
