#include "answer.h"

#include <ctime>

#include "content_coding.h"

namespace orvane::service::http {
namespace {

namespace beast_http = boost::beast::http;

constexpr std::size_t kSmallestCompressedBody = 1024;

bool compressibleType(std::string_view contentType) {
  return contentType.starts_with("application/json") || contentType.starts_with("text/") ||
         contentType.find("+json") != std::string_view::npos ||
         contentType.starts_with("application/javascript");
}

// The Date header, formatted once a second per thread.
const std::string& httpDate() {
  thread_local std::time_t formattedAt = 0;
  thread_local std::string formatted;
  std::time_t now = std::time(nullptr);
  if (now != formattedAt) {
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[64];
    std::size_t length = std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &parts);
    formatted.assign(text, length);
    formattedAt = now;
  }
  return formatted;
}

bool bodyless(int status) { return status < 200 || status == 204 || status == 304; }

template <class Body>
void copyHeaders(beast_http::response<Body>& message, const Response& response, const AnswerShape& shape) {
  message.version(shape.version);
  message.result(static_cast<unsigned>(response.status));
  for (const auto& [name, value] : response.headers) {
    if (name.find_first_of("\r\n:") != std::string::npos || value.find_first_of("\r\n") != std::string::npos)
      continue;
    message.insert(name, value);
  }
  message.set(beast_http::field::date, httpDate());
  message.keep_alive(shape.keepAlive);
}

PreparedAnswer headersOnly(const Response& response, const AnswerShape& shape, std::uint64_t length) {
  beast_http::response<beast_http::empty_body> message;
  copyHeaders(message, response, shape);
  if (!bodyless(response.status)) message.content_length(length);
  return PreparedAnswer{std::move(message), response.status, shape.keepAlive};
}

PreparedAnswer fileSliceAnswer(const Response& response, const FileSlice& slice, const AnswerShape& shape) {
  if (shape.head || bodyless(response.status)) return headersOnly(response, shape, slice.length);
  beast_http::response<FileSliceBody> message;
  if (!message.body().open(slice.path, slice.offset, slice.length))
    return prepareAnswer(Response::error(404, "not found"), shape);
  copyHeaders(message, response, shape);
  message.content_length(slice.length);
  return PreparedAnswer{std::move(message), response.status, shape.keepAlive};
}

}  // namespace

PreparedAnswer prepareAnswer(Response response, const AnswerShape& shape) {
  if (const auto* slice = std::get_if<FileSlice>(&response.body)) return fileSliceAnswer(response, *slice, shape);

  std::string& body = std::get<std::string>(response.body);
  if (bodyless(response.status)) body.clear();
  auto contentType = response.headers.find("Content-Type");
  bool compressible = body.size() >= kSmallestCompressedBody && contentType != response.headers.end() &&
                      compressibleType(contentType->second) && !response.headers.contains("Content-Encoding") &&
                      response.status != 206;
  if (compressible) {
    auto vary = response.headers.find("Vary");
    if (vary == response.headers.end()) response.headers.emplace("Vary", "Accept-Encoding");
    else if (vary->second.find("Accept-Encoding") == std::string::npos) vary->second += ", Accept-Encoding";
    if (shape.gzipAccepted) {
      body = gzipCompress(body);
      response.headers.emplace("Content-Encoding", "gzip");
    }
  }
  if (shape.head) return headersOnly(response, shape, body.size());

  beast_http::response<beast_http::string_body> message;
  copyHeaders(message, response, shape);
  if (!bodyless(response.status)) message.content_length(body.size());
  message.body() = std::move(body);
  return PreparedAnswer{std::move(message), response.status, shape.keepAlive};
}

}  // namespace orvane::service::http
