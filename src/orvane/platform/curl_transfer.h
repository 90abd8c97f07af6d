#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <orvane/platform/http.h>
#include <orvane/platform/network_route.h>

namespace orvane {

struct CurlTransferLimits {
  std::optional<std::string> caBundlePath;
  std::size_t maxResponseBytes = 0;
};

// One exchange of CurlHttpSession: its easy handle, what it sends and what it has received.
class CurlTransfer {
 public:
  using Clock = std::chrono::steady_clock;

  // `askedAt`: when the request was sent, the start of its first silence.
  CurlTransfer(std::function<void(HttpResult)> completion, Clock::time_point askedAt);
  ~CurlTransfer();

  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  // Sets the handle up to send `request` to `url`; an error when it cannot be sent as given.
  std::optional<TransportError> prepare(const HttpRequest& request, const std::string& url,
                                        const CurlTransferLimits& limits, const NetworkRoute& route = {});
  CURL* handle() const { return handle_; }
  // When bytes last moved either way (or the request was sent, before any did).
  Clock::time_point lastActivity() const { return lastActivity_; }
  // Bytes of the answer received so far, its headers included.
  std::size_t receivedBytes() const { return receivedBytes_; }
  // Whether the requester has given up on the answer.
  bool cancelled() const { return cancellation_.stop_requested(); }

  // What the exchange gave, once curl reports it done with `code`.
  HttpResult result(CURLcode code) const;
  // Hands the result to the requester; called once.
  void complete(HttpResult result);

 private:
  static std::size_t receive(char* bytes, std::size_t size, std::size_t count, void* self);
  static std::size_t receiveHeader(char* bytes, std::size_t size, std::size_t count, void* self);
  static int progress(void* self, curl_off_t downloadTotal, curl_off_t downloaded, curl_off_t uploadTotal,
                      curl_off_t uploaded);
  void keepHeader(std::string_view name, std::string_view value);
  // Whether `location`, as given by a redirect of the current exchange, stays on its origin.
  bool staysOnOrigin(const std::string& location) const;

  std::function<void(HttpResult)> completion_;
  CURL* handle_ = nullptr;
  curl_slist* headers_ = nullptr;
  std::string requestBody_;
  // Lent to curl without a copy, so held as long as the handle.
  std::shared_ptr<const std::string> trustedAuthorities_;
  std::string responseBody_;
  std::size_t maxResponseBytes_ = 0;
  bool exceededLimit_ = false;
  Clock::time_point lastActivity_;
  std::size_t receivedBytes_ = 0;
  std::stop_token cancellation_;
  curl_off_t uploaded_ = 0;
  HttpRequest::Redirects redirects_ = HttpRequest::Redirects::sameOrigin;
  int headerStatus_ = 0;
  // Those of the latest answer: a redirect's or an interim answer's are dropped with it.
  std::vector<std::pair<std::string, std::string>> responseHeaders_;
  std::string location_;
  int locationCount_ = 0;
  // Why a redirect was not followed; empty while none was refused.
  std::string refusedRedirect_;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
};

}  // namespace orvane
