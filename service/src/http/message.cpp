#include "message.h"

#include <algorithm>

namespace orvane::service::http {
namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool HeaderNameLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return lowerAscii(x) < lowerAscii(y); });
}

std::string_view Request::header(std::string_view name) const {
  auto found = headers.find(name);
  return found == headers.end() ? std::string_view() : std::string_view(found->second);
}

std::string_view Request::queryValue(std::string_view name) const {
  auto found = query.find(std::string(name));
  return found == query.end() ? std::string_view() : std::string_view(found->second);
}

Response Response::json(int status, const nlohmann::json& body) {
  Response response;
  response.status = status;
  response.headers.emplace("Content-Type", "application/json");
  // Replacement keeps invalid UTF-8 coming from a client's input from turning an answer into a throw.
  response.body = body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return response;
}

Response Response::error(int status, std::string_view message) {
  return json(status, nlohmann::json{{"error", message}});
}

}  // namespace orvane::service::http
