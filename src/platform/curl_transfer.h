#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "platform/http.h"

namespace orvane {

struct CurlTransferLimits {
  std::optional<std::string> caBundlePath;
  std::size_t maxResponseBytes = 0;
};

// One exchange of CurlHttpSession: its easy handle, what it sends and what it has received.
class CurlTransfer {
 public:
  explicit CurlTransfer(std::function<void(HttpResult)> completion);
  ~CurlTransfer();

  CurlTransfer(const CurlTransfer&) = delete;
  CurlTransfer& operator=(const CurlTransfer&) = delete;

  // Sets the handle up to send `request` to `url`; an error when it cannot be sent as given.
  std::optional<TransportError> prepare(const HttpRequest& request, const std::string& url,
                                        const CurlTransferLimits& limits);
  CURL* handle() const { return handle_; }

  // What the exchange gave, once curl reports it done with `code`.
  HttpResult result(CURLcode code) const;
  // Hands the result to the requester; called once.
  void complete(HttpResult result);

 private:
  static std::size_t receive(char* bytes, std::size_t size, std::size_t count, void* self);

  std::function<void(HttpResult)> completion_;
  CURL* handle_ = nullptr;
  curl_slist* headers_ = nullptr;
  std::string requestBody_;
  std::string responseBody_;
  std::size_t maxResponseBytes_ = 0;
  bool exceededLimit_ = false;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
};

}  // namespace orvane
