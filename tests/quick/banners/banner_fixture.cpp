#include "banner_fixture.h"

#include <chrono>

namespace orvane::quick::testing {

void BannerFixture::serveBanners(const QString& placementKey, const QString& json) {
  service_->serveBanners(placementKey.toStdString(), json.toStdString());
}

QString BannerFixture::imageUrl(int width, int height, const QString& name) const {
  return QString::fromStdString(FixtureService::imageUrl(width, height, name.toStdString()));
}

QString BannerFixture::brokenImageUrl(const QString& name) const {
  return QString::fromStdString(FixtureService::brokenImageUrl(name.toStdString()));
}

void BannerFixture::hold(const QString& url) { service_->hold(url.toStdString()); }

void BannerFixture::release(const QString& url) { service_->release(url.toStdString()); }

int BannerFixture::requestCount(const QString& urlPart) const {
  return service_->requestCount(urlPart.toStdString());
}

void BannerFixture::advance(int milliseconds) { queue_->advance(std::chrono::milliseconds(milliseconds)); }

QStringList BannerFixture::openedUrls() const {
  QStringList urls;
  for (const auto& url : opener_->opened) urls.append(QString::fromStdString(url.string()));
  return urls;
}

void BannerFixture::clearOpenedUrls() { opener_->opened.clear(); }

}  // namespace orvane::quick::testing
