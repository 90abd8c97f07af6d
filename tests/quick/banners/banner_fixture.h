#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

#include "fixture_service.h"
#include "support/fake_platform.h"
#include "virtual_timer_queue.h"

namespace orvane::quick::testing {

// What the QML tests see of their world, as the singleton Fixture of "BannerFixture 1.0".
class BannerFixture : public QObject {
  Q_OBJECT

 public:
  BannerFixture(std::shared_ptr<FixtureService> service, std::shared_ptr<VirtualTimerQueue> queue,
                std::shared_ptr<orvane::testing::RecordingUrlOpener> opener)
      : service_(std::move(service)), queue_(std::move(queue)), opener_(std::move(opener)) {}

  // The banners JSON the service answers for a placement.
  Q_INVOKABLE void serveBanners(const QString& placementKey, const QString& json);
  Q_INVOKABLE QString imageUrl(int width, int height, const QString& name) const;
  Q_INVOKABLE QString brokenImageUrl(const QString& name) const;
  // Keeps a URL's answer back until released.
  Q_INVOKABLE void hold(const QString& url);
  Q_INVOKABLE void release(const QString& url);
  Q_INVOKABLE int requestCount(const QString& urlPart) const;
  // Moves the SDK's timers forward.
  Q_INVOKABLE void advance(int milliseconds);
  // Links the SDK handed to the host, oldest first.
  Q_INVOKABLE QStringList openedUrls() const;
  Q_INVOKABLE void clearOpenedUrls();

 private:
  std::shared_ptr<FixtureService> service_;
  std::shared_ptr<VirtualTimerQueue> queue_;
  std::shared_ptr<orvane::testing::RecordingUrlOpener> opener_;
};

}  // namespace orvane::quick::testing
