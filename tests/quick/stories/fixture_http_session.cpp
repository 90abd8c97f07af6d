#include "fixture_http_session.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QThreadPool>

namespace orvane::quick::testing {
namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

HttpResult ok(const QByteArray& body) {
  return HttpResult{body.toStdString(), HttpResponse{200}, std::nullopt};
}

}  // namespace

HttpResult FixtureHttpSession::answer(const HttpRequest& request) const {
  const std::string path = request.url.string().substr(0, request.url.string().find('?'));
  if (endsWith(path, "/placements/home/stories")) return ok(storiesBody_);
  if (endsWith(path, "/placements/empty/stories")) return ok(R"({"groups": []})");
  if (endsWith(path, "/stories")) return HttpResult{std::string(), HttpResponse{500}, std::nullopt};
  if (endsWith(path, ".png")) return ok(pngBytes_);
  if (endsWith(path, "/vote")) {
    const QJsonObject body =
        QJsonDocument::fromJson(QByteArray::fromStdString(request.body.value_or(""))).object();
    const QJsonObject vote{{"voted", true}, {"optionId", body.value("optionId")}, {"voteCount", 10}};
    return ok(QJsonDocument(vote).toJson(QJsonDocument::Compact));
  }
  return ok(QByteArray());
}

void FixtureHttpSession::send(HttpRequest request, std::function<void(HttpResult)> completion) {
  auto reply = [result = answer(request), completion = std::move(completion)] { completion(result); };
  if (endsWith(request.url.string(), "/vote")) {
    std::lock_guard lock(mutex_);
    if (holdingVotes_) {
      heldVotes_.push_back(std::move(reply));
      return;
    }
  }
  QThreadPool::globalInstance()->start(std::move(reply));
}

void FixtureHttpSession::setHoldingVotes(bool holding) {
  std::lock_guard lock(mutex_);
  holdingVotes_ = holding;
}

void FixtureHttpSession::releaseVotes() {
  std::vector<std::function<void()>> replies;
  {
    std::lock_guard lock(mutex_);
    replies.swap(heldVotes_);
  }
  for (auto& reply : replies) QThreadPool::globalInstance()->start(std::move(reply));
}

}  // namespace orvane::quick::testing
