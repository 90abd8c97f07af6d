#pragma once

#include <orvane/export.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

#include <orvane/platform/url.h>

namespace orvane {

// One HTTP exchange the SDK asks its transport for.
//
// \code
// HttpRequest request{*Url::parse("https://stories.example.com/health")};
// request.setHeader("Accept", "application/json");
// request.timeout = std::chrono::seconds(10);
// \endcode
struct ORVANE_EXPORT HttpRequest {
  // Where it goes, with which method, header fields and body (absent: none).
  //@{
  Url url;
  std::string method = "GET";
  std::vector<std::pair<std::string, std::string>> headers;
  std::optional<std::string> body;
  //@}
  // Idle limit: counts from the moment the request is sent (time spent waiting for a connection
  // included) and restarts with every byte that arrives.
  std::chrono::seconds timeout{60};
  // A larger answer fails with TransportError::Code::tooLarge; absent means the session's own cap.
  std::optional<std::size_t> maxResponseBytes;

  // Requests to the content service carry its key and the user's identity, so they follow
  // redirects only within their own origin; downloads of third-party media carry no credentials
  // and may follow redirects to any https address.
  //@{
  enum class Redirects { sameOrigin, toHttps };
  Redirects redirects = Redirects::sameOrigin;
  //@}
  // Each lane has connections of its own, so neither slow pictures and videos nor a hanging
  // report endpoint hold up content and votes (the service lane).
  //@{
  enum class Lane { service, media, telemetry };
  Lane lane = Lane::service;
  //@}
  // Once stop is requested the exchange ends with TransportError::Code::cancelled and frees its
  // connection: the caller's way of saying nobody wants the answer any more.
  std::stop_token cancellation = {};

  // Adds a header field; fields with a line break are refused when the request is sent.
  void setHeader(std::string name, std::string value) {
    headers.emplace_back(std::move(name), std::move(value));
  }
  // The first field of that name, in any letter case; null when there is none.
  const std::string* header(std::string_view name) const;
};

// What came back besides the body.
struct ORVANE_EXPORT HttpResponse {
  // The final answer's status, after any redirects followed.
  int statusCode = 0;
  // The final answer's header fields as received (names in any letter case, repeated fields kept),
  // not those of redirects on the way. A transport that cannot tell leaves them empty.
  std::vector<std::pair<std::string, std::string>> headers = {};

  // The first field of that name, whatever its letter case; null when there is none.
  const std::string* header(std::string_view name) const;
};

// A failure of the transport itself: no connection, TLS, timeout, oversized answer.
//
// \code
// if (result.error && result.error->code == TransportError::Code::tls) log("certificate not trusted");
// \endcode
struct ORVANE_EXPORT TransportError {
  // Which way the exchange failed; `other` for anything else, such as a refused redirect.
  enum class Code { connection, timeout, tls, tooLarge, cancelled, other };
  // Which way, and the transport's own words for logs (never a credential).
  //@{
  Code code = Code::other;
  std::string message;
  //@}

  // Code and message alike.
  bool operator==(const TransportError&) const = default;
};

// What a finished exchange gives: any of body, response and error may be absent.
//
// \code
// completion(HttpResult{std::string("{}"), HttpResponse{200}, std::nullopt});
// \endcode
struct ORVANE_EXPORT HttpResult {
  // The body, the response, and the failure of the transport.
  //@{
  std::optional<std::string> data;
  std::optional<HttpResponse> response;
  std::optional<TransportError> error;
  //@}
};

// The transport a host may supply in place of the SDK's own (libcurl).
//
// \code
// class MyTransport final : public HttpSession {
//  public:
//   void send(HttpRequest request, std::function<void(HttpResult)> completion) override {
//     client_.start(std::move(request), std::move(completion));  // completes on the client's thread
//   }
// };
// \endcode
class ORVANE_EXPORT HttpSession {
 public:
  virtual ~HttpSession() = default;
  // Starts the exchange and returns at once. The completion runs exactly once, on a thread of
  // the session's own; callers move to the main queue before touching their state.
  virtual void send(HttpRequest request, std::function<void(HttpResult)> completion) = 0;
};

}  // namespace orvane
