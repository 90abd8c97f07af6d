#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::service::http {

// A request target taken apart. The path is split on '/' before its segments are decoded, so an
// encoded "%2F" stays inside its segment instead of moving the request onto another route.
struct RequestTarget {
  std::vector<std::string> segments;          // decoded, between the slashes
  std::string path;                           // the decoded segments joined with '/'
  std::map<std::string, std::string> query;   // decoded; the first of repeated names wins
};

// Empty for anything unsafe to hand on: not starting with '/', a broken escape, a NUL byte, a "."
// or ".." segment.
std::optional<RequestTarget> parseRequestTarget(std::string_view target);

// The decoded segments of a path, under the same rules.
std::optional<std::vector<std::string>> decodePathSegments(std::string_view path);

}  // namespace orvane::service::http
