#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

namespace orvane::service::http {

// Header names compare without regard to ASCII case, as HTTP wants.
struct HeaderNameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};
using Headers = std::map<std::string, std::string, HeaderNameLess>;

// One request as a handler sees it: the body already de-chunked and decoded, never larger than
// its route's cap.
struct Request {
  std::string method;                         // "GET", "POST", ...
  std::string path;                           // percent-decoded, without the query
  std::map<std::string, std::string> query;   // percent-decoded; the first of repeated names wins
  Headers headers;
  std::string body;
  std::string clientAddress;                  // the peer's IP address as text
  bool secure = false;                        // arrived over TLS
  std::vector<std::string> pathParameters;    // the route pattern's "{}" segments, decoded, in order

  // The header's value, or empty when absent.
  std::string_view header(std::string_view name) const;
  // The query value, or empty when absent.
  std::string_view queryValue(std::string_view name) const;
};

// A slice of a file on disk, sent without reading it whole into memory.
struct FileSlice {
  std::filesystem::path path;
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

struct Response {
  int status = 200;
  Headers headers;
  std::variant<std::string, FileSlice> body;

  // A JSON body with "Content-Type: application/json".
  static Response json(int status, const nlohmann::json& body);
  // {"error": message} with the given status.
  static Response error(int status, std::string_view message);
};

}  // namespace orvane::service::http
