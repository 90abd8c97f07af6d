#include "request_target.h"

namespace orvane::service::http {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Bytes other than NUL pass as they are: a handler validates what it expects to be UTF-8.
std::optional<std::string> percentDecode(std::string_view raw, bool plusIsSpace) {
  std::string decoded;
  decoded.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '%') {
      if (i + 2 >= raw.size()) return std::nullopt;
      int high = hexValue(raw[i + 1]);
      int low = hexValue(raw[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      c = static_cast<char>(high * 16 + low);
      i += 2;
    } else if (c == '+' && plusIsSpace) {
      c = ' ';
    }
    if (c == '\0') return std::nullopt;
    decoded.push_back(c);
  }
  return decoded;
}

bool parseQuery(std::string_view raw, std::map<std::string, std::string>& query) {
  while (!raw.empty()) {
    std::size_t end = raw.find('&');
    std::string_view pair = raw.substr(0, end);
    raw = end == std::string_view::npos ? std::string_view() : raw.substr(end + 1);
    if (pair.empty()) continue;
    std::size_t equals = pair.find('=');
    auto name = percentDecode(pair.substr(0, equals), true);
    auto value = percentDecode(equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1), true);
    if (!name || !value) return false;
    query.emplace(std::move(*name), std::move(*value));
  }
  return true;
}

}  // namespace

std::optional<std::vector<std::string>> decodePathSegments(std::string_view path) {
  if (path.empty() || path.front() != '/') return std::nullopt;
  std::vector<std::string> segments;
  std::size_t start = 1;
  while (true) {
    std::size_t end = path.find('/', start);
    auto segment = percentDecode(path.substr(start, end == std::string_view::npos ? end : end - start), false);
    if (!segment || *segment == "." || *segment == "..") return std::nullopt;
    segments.push_back(std::move(*segment));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return segments;
}

std::optional<RequestTarget> parseRequestTarget(std::string_view target) {
  std::size_t mark = target.find('?');
  std::string_view rawPath = target.substr(0, mark);
  if (std::size_t fragment = rawPath.find('#'); fragment != std::string_view::npos) rawPath = rawPath.substr(0, fragment);
  auto segments = decodePathSegments(rawPath);
  if (!segments) return std::nullopt;
  RequestTarget parsed;
  parsed.segments = std::move(*segments);
  for (const auto& segment : parsed.segments) {
    parsed.path += '/';
    parsed.path += segment;
  }
  if (mark != std::string_view::npos) {
    std::string_view rawQuery = target.substr(mark + 1);
    rawQuery = rawQuery.substr(0, rawQuery.find('#'));
    if (!parseQuery(rawQuery, parsed.query)) return std::nullopt;
  }
  return parsed;
}

}  // namespace orvane::service::http
