// Qt Quick Test runner of the story views: every tst_*.qml here, offscreen, on the Qt platform
// with the fixture as transport and link opener, against a configured shared SDK.
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest/quicktest.h>

#include <QQmlContext>
#include <QQmlEngine>
#include <QTemporaryDir>

#include <orvane/core/story_sdk.h>
#include <orvane/quick/platform/qt_platform.h>
#include "story_view_fixture.h"

Q_IMPORT_QML_PLUGIN(OrvaneStoriesPlugin)

namespace orvane::quick::testing {

class StoryViewsSetup : public QObject {
  Q_OBJECT

 public slots:
  void applicationAvailable() {
    fixture_ = std::make_shared<StoryViewFixture>();
    QtPlatformOptions options;
    options.dataDirectory = settings_.path();
    options.http = fixture_;
    Platform platform = makeQtPlatform(options);
    // The views' requests are counted: nothing may come from an earlier run's disk cache.
    platform.cacheDirectory = std::string();
    platform.urlOpener = fixture_;
    Platform::install(platform);

    auto& sdk = StorySDK::shared();
    sdk.setEventHandler([fixture = fixture_.get()](const StorySDKEvent& event) { fixture->record(event); });
    // Texts of the host's own, so the views show that they take the configured ones.
    const StoryUIStrings strings("Poll time", "Quiz time", "POLL", "QUIZ", "SWIPE", "Swipe up for more",
                                 "vote", "votes", "answer", "answers");
    sdk.configure(StoryConfiguration("test-sdk-key", "test-app", StoryEnvironment::production, std::nullopt,
                                     std::nullopt, std::nullopt, strings));
  }

  void qmlEngineAvailable(QQmlEngine* engine) {
    engine->rootContext()->setContextProperty(QStringLiteral("fixture"), fixture_.get());
  }

 private:
  QTemporaryDir settings_;
  std::shared_ptr<StoryViewFixture> fixture_;
};

}  // namespace orvane::quick::testing

QUICK_TEST_MAIN_WITH_SETUP(story_views, orvane::quick::testing::StoryViewsSetup)

#include "main.moc"
