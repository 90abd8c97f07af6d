#include "banner_fixture.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QThreadPool>
#include <algorithm>
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

HttpResult ok(std::string body, int status = 200) {
  return {std::move(body), HttpResponse{status, {}}, std::nullopt};
}

}  // namespace

void BannerFixture::send(HttpRequest request, std::function<void(HttpResult)> completion) {
  const QString url = QString::fromStdString(request.url.string());
  std::lock_guard lock(mutex_);
  requested_.append(url);
  cancellations_.emplace(url, request.cancellation);
  auto reply = [result = answer(url), completion = std::move(completion)] { completion(result); };
  if (held_.count(url) > 0) {
    waiting_.emplace(url, std::move(reply));
  } else {
    QThreadPool::globalInstance()->start(std::move(reply));
  }
}

HttpResult BannerFixture::answer(const QString& url) const {
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
  std::lock_guard lock(mutex_);
  held_.erase(url);
  const auto [first, last] = waiting_.equal_range(url);
  for (auto it = first; it != last; ++it) QThreadPool::globalInstance()->start(std::move(it->second));
  waiting_.erase(first, last);
}

bool BannerFixture::cancelled(const QString& url) const {
  std::lock_guard lock(mutex_);
  const auto [first, last] = cancellations_.equal_range(url);
  if (first == last) return false;
  return std::all_of(first, last, [](const auto& entry) { return entry.second.stop_requested(); });
}

int BannerFixture::requestCount(const QString& urlPart) const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(requested_.filter(urlPart).size());
}

void BannerFixture::advance(int milliseconds) { queue_->advance(std::chrono::milliseconds(milliseconds)); }

}  // namespace orvane::quick::testing
