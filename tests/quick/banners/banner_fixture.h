#pragma once

#include <QDir>
#include <QObject>
#include <QStringList>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <stop_token>

#include <orvane/platform/http.h>
#include <orvane/platform/url_opener.h>
#include "support/virtual_main_queue.h"

namespace orvane::quick::testing {

// The GUI thread's queue with timers in virtual time: posted work runs on the Qt event loop as
// usual, while timers fire only when a test advances the clock, so rotations need no waiting.
class VirtualTimerQueue final : public MainQueue {
 public:
  explicit VirtualTimerQueue(std::shared_ptr<MainQueue> eventLoop) : eventLoop_(std::move(eventLoop)) {}

  void post(std::function<void()> task) override { eventLoop_->post(std::move(task)); }
  std::shared_ptr<Timer> schedule(Microseconds interval, bool repeats, std::function<void()> block) override {
    return timers_.schedule(interval, repeats, std::move(block));
  }
  bool isMainThread() const override { return eventLoop_->isMainThread(); }
  void advance(Microseconds span) { timers_.advance(span); }

 private:
  std::shared_ptr<MainQueue> eventLoop_;
  orvane::testing::VirtualMainQueue timers_;
};

// The world of the QML tests, as the singleton Fixture of "BannerFixture 1.0": the link opener,
// and the content service and image host, answering on a pool thread like a real session:
// - ".../placements/<key>/banners": the JSON served for that key, else no banners;
// - https://images.test/<w>x<h>/<name>.png: a PNG of that size;
// - https://images.test/broken/<name>: 404 with an HTML body;
// - anything else (events, analytics): 200 "{}".
class BannerFixture final : public QObject, public HttpSession, public UrlOpener {
  Q_OBJECT

 public:
  explicit BannerFixture(std::shared_ptr<VirtualTimerQueue> queue) : queue_(std::move(queue)) {}

  void send(HttpRequest request, std::function<void(HttpResult)> completion) override;
  void open(const Url& url) override { openedUrls_.append(QString::fromStdString(url.string())); }

  Q_INVOKABLE void serveBanners(const QString& placementKey, const QString& json);
  Q_INVOKABLE QString imageUrl(int width, int height, const QString& name) const;
  Q_INVOKABLE QString brokenImageUrl(const QString& name) const;
  // Keeps a URL's answer back until released.
  Q_INVOKABLE void hold(const QString& url);
  Q_INVOKABLE void release(const QString& url);
  // Whether every request for the URL so far was withdrawn by the SDK (false when none was made).
  Q_INVOKABLE bool cancelled(const QString& url) const;
  // Requests whose URL contains the text.
  Q_INVOKABLE int requestCount(const QString& urlPart) const;
  // Moves the SDK's timers forward.
  Q_INVOKABLE void advance(int milliseconds);
  // Links the SDK handed to the host, oldest first.
  Q_INVOKABLE QStringList openedUrls() const { return openedUrls_; }
  Q_INVOKABLE void clearOpenedUrls() { openedUrls_.clear(); }
  // Where layout tests save what they render, for a person to look at: $ORVANE_LAYOUT_SHOTS,
  // empty when unset (nothing is saved).
  Q_INVOKABLE QString shotsDirectory() const {
    const QString directory = qEnvironmentVariable("ORVANE_LAYOUT_SHOTS");
    if (!directory.isEmpty()) QDir().mkpath(directory);
    return directory;
  }

 private:
  HttpResult answer(const QString& url) const;

  std::shared_ptr<VirtualTimerQueue> queue_;
  QStringList openedUrls_;
  mutable std::mutex mutex_;
  std::map<QString, QString> banners_;
  std::set<QString> held_;
  std::multimap<QString, std::function<void()>> waiting_;
  QStringList requested_;
  std::multimap<QString, std::stop_token> cancellations_;
};

}  // namespace orvane::quick::testing
