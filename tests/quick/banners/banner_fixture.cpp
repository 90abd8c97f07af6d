#include "banner_fixture.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QThreadPool>
#include <chrono>

namespace orvane::quick::testing {
namespace {

const QString kImageHost = QStringLiteral("https://images.test/");

std::string png(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(40, 120, 200));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

HttpResult ok(std::string body, int status = 200) { return {std::move(body), HttpResponse{status}, std::nullopt}; }

}  // namespace

void BannerFixture::send(HttpRequest request, std::function<void(HttpResult)> completion) {
  std::unique_lock lock(mutex_);
  const QString url = QString::fromStdString(request.url.string());
  requested_.append(url);
  Exchange exchange{std::move(request), std::move(completion)};
  if (held_.count(url) > 0) {
    waiting_.push_back(std::move(exchange));
    return;
  }
  auto result = answer(exchange.request);
  lock.unlock();
  complete(std::move(exchange), std::move(result));
}

HttpResult BannerFixture::answer(const HttpRequest& request) const {
  const QString url = QString::fromStdString(request.url.string());
  static const QRegularExpression bannersPath("/placements/([^/]+)/banners(\\?|$)");
  static const QRegularExpression imagePath("^https://images\\.test/(\\d+)x(\\d+)/");
  if (const auto match = bannersPath.match(url); match.hasMatch()) {
    const auto served = banners_.find(match.captured(1));
    return ok(served != banners_.end() ? served->second.toStdString() : R"({"banners":[]})");
  }
  if (const auto match = imagePath.match(url); match.hasMatch()) {
    return ok(png(match.captured(1).toInt(), match.captured(2).toInt()));
  }
  if (url.startsWith(kImageHost + "broken/")) return ok("<html>Not Found</html>", 404);
  return ok("{}");
}

void BannerFixture::complete(Exchange exchange, HttpResult result) {
  QThreadPool::globalInstance()->start([exchange = std::move(exchange), result = std::move(result)]() mutable {
    exchange.completion(std::move(result));
  });
}

void BannerFixture::serveBanners(const QString& placementKey, const QString& json) {
  std::lock_guard lock(mutex_);
  banners_[placementKey] = json;
}

QString BannerFixture::imageUrl(int width, int height, const QString& name) const {
  return kImageHost + QStringLiteral("%1x%2/%3.png").arg(width).arg(height).arg(name);
}

QString BannerFixture::brokenImageUrl(const QString& name) const { return kImageHost + "broken/" + name; }

void BannerFixture::hold(const QString& url) {
  std::lock_guard lock(mutex_);
  held_.insert(url);
}

void BannerFixture::release(const QString& url) {
  std::vector<std::pair<Exchange, HttpResult>> released;
  {
    std::lock_guard lock(mutex_);
    held_.erase(url);
    for (auto it = waiting_.begin(); it != waiting_.end();) {
      if (QString::fromStdString(it->request.url.string()) != url) {
        ++it;
        continue;
      }
      auto result = answer(it->request);
      released.emplace_back(std::move(*it), std::move(result));
      it = waiting_.erase(it);
    }
  }
  for (auto& [exchange, result] : released) complete(std::move(exchange), std::move(result));
}

int BannerFixture::requestCount(const QString& urlPart) const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(requested_.filter(urlPart).size());
}

void BannerFixture::advance(int milliseconds) { queue_->advance(std::chrono::milliseconds(milliseconds)); }

QStringList BannerFixture::openedUrls() const {
  QStringList urls;
  for (const auto& url : opener_->opened) urls.append(QString::fromStdString(url.string()));
  return urls;
}

}  // namespace orvane::quick::testing
