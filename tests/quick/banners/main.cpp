#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest/quicktest.h>

#include <QQmlEngine>
#include <QTemporaryDir>
#include <memory>

#include "banner_fixture.h"
#include "core/story_sdk.h"
#include "quick/platform/qt_platform.h"

Q_IMPORT_QML_PLUGIN(OrvaneStoriesPlugin)

namespace orvane::quick::testing {

// Installs the Qt platform on the fixture service, virtual timers and a recording link opener,
// and configures the shared SDK, before any QML runs.
class BannerTestSetup : public QObject {
  Q_OBJECT

 public slots:
  void applicationAvailable() {
    QtPlatformOptions options;
    options.settingsFile = settings_.filePath("settings.ini");
    options.http = service_;
    Platform platform = makeQtPlatform(options);
    queue_ = std::make_shared<VirtualTimerQueue>(platform.mainQueue);
    platform.mainQueue = queue_;
    platform.urlOpener = opener_;
    Platform::install(std::move(platform));
    StorySDK::shared().configure(StoryConfiguration("sdk-key", "app-key"));

    fixture_ = std::make_unique<BannerFixture>(service_, queue_, opener_);
    qmlRegisterSingletonInstance("BannerFixture", 1, 0, "Fixture", fixture_.get());
  }

 private:
  QTemporaryDir settings_;
  std::shared_ptr<FixtureService> service_ = std::make_shared<FixtureService>();
  std::shared_ptr<VirtualTimerQueue> queue_;
  std::shared_ptr<orvane::testing::RecordingUrlOpener> opener_ =
      std::make_shared<orvane::testing::RecordingUrlOpener>();
  std::unique_ptr<BannerFixture> fixture_;
};

}  // namespace orvane::quick::testing

QUICK_TEST_MAIN_WITH_SETUP(quick_banners, orvane::quick::testing::BannerTestSetup)

#include "main.moc"
