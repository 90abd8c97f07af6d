#include "fixture_service.h"

#include <QBuffer>
#include <QColor>
#include <QRegularExpression>
#include <QThreadPool>
#include <utility>

namespace orvane::quick::testing {
namespace {

constexpr auto kImageHost = "https://images.test/";

std::string png(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(40, 120, 200));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

HttpResult ok(std::string body, int status = 200) {
  return {std::move(body), HttpResponse{status}, std::nullopt};
}

}  // namespace

std::string FixtureService::imageUrl(int width, int height, const std::string& name) {
  return kImageHost + std::to_string(width) + "x" + std::to_string(height) + "/" + name + ".png";
}

std::string FixtureService::brokenImageUrl(const std::string& name) {
  return std::string(kImageHost) + "broken/" + name;
}

void FixtureService::send(HttpRequest request, std::function<void(HttpResult)> completion) {
  std::unique_lock lock(mutex_);
  const std::string url = request.url.string();
  requested_.push_back(url);
  Exchange exchange{std::move(request), std::move(completion)};
  if (held_.count(url) > 0) {
    waiting_.push_back(std::move(exchange));
    return;
  }
  auto result = answer(exchange.request);
  lock.unlock();
  complete(std::move(exchange), std::move(result));
}

HttpResult FixtureService::answer(const HttpRequest& request) const {
  const QString url = QString::fromStdString(request.url.string());
  static const QRegularExpression bannersPath("/placements/([^/]+)/banners(\\?|$)");
  static const QRegularExpression imagePath("^https://images\\.test/(\\d+)x(\\d+)/");
  if (const auto match = bannersPath.match(url); match.hasMatch()) {
    const auto served = banners_.find(match.captured(1).toStdString());
    return ok(served != banners_.end() ? served->second : R"({"banners":[]})");
  }
  if (const auto match = imagePath.match(url); match.hasMatch()) {
    return ok(png(match.captured(1).toInt(), match.captured(2).toInt()));
  }
  if (url.startsWith(QString::fromLatin1(kImageHost) + "broken/")) return ok("<html>Not Found</html>", 404);
  return ok("{}");
}

void FixtureService::complete(Exchange exchange, HttpResult result) {
  QThreadPool::globalInstance()->start(
      [exchange = std::move(exchange), result = std::move(result)]() mutable {
        exchange.completion(std::move(result));
      });
}

void FixtureService::serveBanners(const std::string& placementKey, std::string json) {
  std::lock_guard lock(mutex_);
  banners_[placementKey] = std::move(json);
}

void FixtureService::hold(const std::string& url) {
  std::lock_guard lock(mutex_);
  held_.insert(url);
}

void FixtureService::release(const std::string& url) {
  std::vector<std::pair<Exchange, HttpResult>> released;
  {
    std::lock_guard lock(mutex_);
    held_.erase(url);
    for (auto it = waiting_.begin(); it != waiting_.end();) {
      if (it->request.url.string() == url) {
        auto result = answer(it->request);
        released.emplace_back(std::move(*it), std::move(result));
        it = waiting_.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& [exchange, result] : released) complete(std::move(exchange), std::move(result));
}

int FixtureService::requestCount(const std::string& urlPart) const {
  std::lock_guard lock(mutex_);
  int count = 0;
  for (const auto& url : requested_) count += url.find(urlPart) != std::string::npos ? 1 : 0;
  return count;
}

}  // namespace orvane::quick::testing
