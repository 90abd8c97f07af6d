#include "support/scripted_http_session.h"

namespace orvane::testing {

void ScriptedHttpSession::send(HttpRequest request, std::function<void(HttpResult)> completion) {
  std::lock_guard lock(mutex_);
  requests_.push_back(request);
  pending_.emplace_back(std::move(request), std::move(completion));
}

void ScriptedHttpSession::setResponder(Responder responder) {
  std::lock_guard lock(mutex_);
  responder_ = std::move(responder);
}

bool ScriptedHttpSession::completeOne(bool newest) {
  std::optional<std::pair<HttpRequest, std::function<void(HttpResult)>>> next;
  Responder responder;
  {
    std::lock_guard lock(mutex_);
    if (pending_.empty()) return false;
    if (newest) {
      next.emplace(std::move(pending_.back()));
      pending_.pop_back();
    } else {
      next.emplace(std::move(pending_.front()));
      pending_.pop_front();
    }
    responder = responder_;
  }
  // Outside the lock: a completion may send again.
  next->second(responder ? responder(next->first) : status(404));
  return true;
}

std::size_t ScriptedHttpSession::deliver() {
  std::size_t count = 0;
  while (completeOne(false)) ++count;
  return count;
}

bool ScriptedHttpSession::deliverNewest() { return completeOne(true); }

std::vector<HttpRequest> ScriptedHttpSession::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t ScriptedHttpSession::pendingCount() const {
  std::lock_guard lock(mutex_);
  return pending_.size();
}

HttpResult ScriptedHttpSession::ok(std::string body, int statusCode) {
  return HttpResult{std::move(body), HttpResponse{statusCode, {}}, std::nullopt};
}

HttpResult ScriptedHttpSession::status(int statusCode, std::string body) {
  return HttpResult{std::move(body), HttpResponse{statusCode, {}}, std::nullopt};
}

HttpResult ScriptedHttpSession::withHeaders(int statusCode, std::string body,
                                            std::vector<std::pair<std::string, std::string>> headers) {
  return HttpResult{std::move(body), HttpResponse{statusCode, std::move(headers)}, std::nullopt};
}

HttpResult ScriptedHttpSession::failure(TransportError::Code code) {
  return HttpResult{std::nullopt, std::nullopt, TransportError{code, "The network connection was lost."}};
}

}  // namespace orvane::testing
