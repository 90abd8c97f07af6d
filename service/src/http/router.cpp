#include "router.h"

#include <stdexcept>

#include "request_target.h"

namespace orvane::service::http {
namespace {

std::vector<std::string> patternSegments(std::string_view pattern) {
  if (pattern.empty() || pattern.front() != '/') throw std::invalid_argument("route pattern must start with '/'");
  std::vector<std::string> segments;
  std::size_t start = 1;
  while (true) {
    std::size_t end = pattern.find('/', start);
    segments.emplace_back(pattern.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return segments;
    start = end + 1;
  }
}

bool matches(const std::vector<std::string>& pattern, const std::vector<std::string>& segments,
             std::vector<std::string>* parameters) {
  if (pattern.size() != segments.size()) return false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == "{}") {
      if (segments[i].empty()) return false;
    } else if (pattern[i] != segments[i]) {
      return false;
    }
  }
  if (parameters != nullptr) {
    parameters->clear();
    for (std::size_t i = 0; i < pattern.size(); ++i)
      if (pattern[i] == "{}") parameters->push_back(segments[i]);
  }
  return true;
}

}  // namespace

void Router::add(std::string method, std::string pattern, std::string name, RouteLimits limits, Handler handler,
                 MemoryHandler fromMemory) {
  auto segments = patternSegments(pattern);
  routes_.push_back(Route{std::move(method), std::move(pattern), std::move(name), limits, std::move(handler),
                          std::move(fromMemory)});
  patterns_.push_back(std::move(segments));
}

Router::Match Router::match(std::string_view method, std::string_view path) const {
  auto segments = decodePathSegments(path);
  if (!segments) return {};
  return match(method, *segments);
}

Router::Match Router::match(std::string_view method, const std::vector<std::string>& segments) const {
  Match result;
  for (std::size_t i = 0; i < routes_.size(); ++i) {
    if (routes_[i].method == method) {
      if (matches(patterns_[i], segments, &result.parameters)) {
        result.route = &routes_[i];
        result.pathKnown = true;
        return result;
      }
    } else if (!result.pathKnown && matches(patterns_[i], segments, nullptr)) {
      result.pathKnown = true;
    }
  }
  return result;
}

std::string Router::allowedMethods(const std::vector<std::string>& segments) const {
  std::string allowed;
  for (std::size_t i = 0; i < routes_.size(); ++i) {
    if (!matches(patterns_[i], segments, nullptr)) continue;
    if (allowed.find(routes_[i].method) != std::string::npos) continue;
    if (!allowed.empty()) allowed += ", ";
    allowed += routes_[i].method;
    if (routes_[i].method == "GET" && allowed.find("HEAD") == std::string::npos) allowed += ", HEAD";
  }
  return allowed;
}

}  // namespace orvane::service::http
