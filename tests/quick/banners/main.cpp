#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest/quicktest.h>

#include <QQmlEngine>
#include <QTemporaryDir>
#include <memory>

#include <orvane/core/story_sdk.h>
#include <orvane/quick/platform/qt_platform.h>
#include "banner_fixture.h"

Q_IMPORT_QML_PLUGIN(OrvaneStoriesPlugin)

namespace orvane::quick::testing {

// Installs the Qt platform on the fixture (as transport and link opener) and virtual timers, and
// configures the shared SDK, before any QML runs.
class BannerTestSetup : public QObject {
  Q_OBJECT

 public slots:
  void applicationAvailable() {
    QtPlatformOptions options;
    options.dataDirectory = settings_.path();
    Platform platform = makeQtPlatform(options);
    // The views' requests are counted: nothing may come from an earlier run's disk cache.
    platform.cacheDirectory = std::string();
    auto queue = std::make_shared<VirtualTimerQueue>(platform.mainQueue);
    fixture_ = std::make_shared<BannerFixture>(queue);
    platform.http = fixture_;
    platform.mainQueue = queue;
    platform.urlOpener = fixture_;
    Platform::install(std::move(platform));
    StorySDK::shared().configure(StoryConfiguration("sdk-key", "app-key"));
    qmlRegisterSingletonInstance("BannerFixture", 1, 0, "Fixture", fixture_.get());
  }

 private:
  QTemporaryDir settings_;
  std::shared_ptr<BannerFixture> fixture_;
};

}  // namespace orvane::quick::testing

QUICK_TEST_MAIN_WITH_SETUP(quick_banners, orvane::quick::testing::BannerTestSetup)

#include "main.moc"
