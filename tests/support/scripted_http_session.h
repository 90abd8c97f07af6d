#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include <orvane/platform/http.h>

namespace orvane::testing {

// Records every request and answers it from a responder. Answers are held until `deliver()`
// so tests decide when the "network" completes, like a real session's worker thread would.
class ScriptedHttpSession final : public HttpSession {
 public:
  using Responder = std::function<HttpResult(const HttpRequest&)>;

  void send(HttpRequest request, std::function<void(HttpResult)> completion) override;

  void setResponder(Responder responder);
  // Completes every request sent so far (and those sent while completing); returns how many.
  std::size_t deliver();
  // Completes only the request sent last, as when a later request overtakes an earlier one;
  // false when none is waiting.
  bool deliverNewest();
  std::vector<HttpRequest> requests() const;
  std::size_t pendingCount() const;

  static HttpResult ok(std::string body, int status = 200);
  static HttpResult status(int status, std::string body = {});
  // An answer carrying header fields, e.g. {{"ETag", "\"v1\""}, {"Cache-Control", "max-age=60"}}.
  static HttpResult withHeaders(int status, std::string body,
                                std::vector<std::pair<std::string, std::string>> headers);
  static HttpResult failure(TransportError::Code code = TransportError::Code::connection);

 private:
  // Completes the oldest waiting request, or the newest; false when none waits.
  bool completeOne(bool newest);

  mutable std::mutex mutex_;
  Responder responder_;
  std::vector<HttpRequest> requests_;
  std::deque<std::pair<HttpRequest, std::function<void(HttpResult)>>> pending_;
};

}  // namespace orvane::testing
