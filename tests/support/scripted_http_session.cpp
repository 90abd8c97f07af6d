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

std::size_t ScriptedHttpSession::deliver() {
  std::size_t count = 0;
  for (;;) {
    std::optional<std::pair<HttpRequest, std::function<void(HttpResult)>>> next;
    Responder responder;
    {
      std::lock_guard lock(mutex_);
      if (pending_.empty()) return count;
      next.emplace(std::move(pending_.front()));
      pending_.pop_front();
      responder = responder_;
    }
    next->second(responder ? responder(next->first) : status(404));
    ++count;
  }
}

bool ScriptedHttpSession::deliverNewest() {
  std::optional<std::pair<HttpRequest, std::function<void(HttpResult)>>> newest;
  Responder responder;
  {
    std::lock_guard lock(mutex_);
    if (pending_.empty()) return false;
    newest.emplace(std::move(pending_.back()));
    pending_.pop_back();
    responder = responder_;
  }
  newest->second(responder ? responder(newest->first) : status(404));
  return true;
}

std::vector<HttpRequest> ScriptedHttpSession::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t ScriptedHttpSession::pendingCount() const {
  std::lock_guard lock(mutex_);
  return pending_.size();
}

HttpResult ScriptedHttpSession::ok(std::string body, int statusCode) {
  return HttpResult{std::move(body), HttpResponse{statusCode}, std::nullopt};
}

HttpResult ScriptedHttpSession::status(int statusCode, std::string body) {
  return HttpResult{std::move(body), HttpResponse{statusCode}, std::nullopt};
}

HttpResult ScriptedHttpSession::failure(TransportError::Code code) {
  return HttpResult{std::nullopt, std::nullopt, TransportError{code, "The network connection was lost."}};
}

}  // namespace orvane::testing
