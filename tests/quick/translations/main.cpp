// Qt Quick Test runner of the views in other languages: the Qt platform with the story views'
// fixture as transport, a shared SDK configured with some texts of the host's own, and
// `translations` to switch the SDK's language as a host would.
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest/quicktest.h>

#include <QDir>
#include <QLocale>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTemporaryDir>

#include <orvane/core/story_sdk.h>
#include <orvane/quick/i18n/story_translations.h>
#include <orvane/quick/platform/qt_platform.h>
#include "story_view_fixture.h"

Q_IMPORT_QML_PLUGIN(OrvaneStoriesPlugin)

namespace orvane::quick::testing {

class Translations : public QObject {
  Q_OBJECT

 public:
  // "pl_PL", "ar", "en", ...
  Q_INVOKABLE bool load(const QString& locale) { return loadStoryTranslations(QLocale(locale)); }
  Q_INVOKABLE QString sessionId() const { return QString::fromStdString(StorySDK::shared().sessionId()); }
  // Where the tests save what they render, for a person to look at; empty: nowhere.
  Q_INVOKABLE QString shotsDirectory() const {
    const QString directory = qEnvironmentVariable("ORVANE_TRANSLATION_SHOTS");
    if (!directory.isEmpty()) QDir().mkpath(directory);
    return directory;
  }
};

class TranslatedViewsSetup : public QObject {
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

    // The poll's and swipe's texts left at the defaults, the quiz's heading and words the host's.
    const auto& defaults = StoryUIStrings::default_();
    const StoryUIStrings strings(defaults.pollTitle(), "Quiz time", defaults.pollBadgeTitle(),
                                 defaults.quizBadgeTitle(), defaults.swipeBadgeTitle(), defaults.swipeUpHint(),
                                 defaults.voteSingular(), defaults.votePlural(), "entry", "entries");
    StorySDK::shared().configure(StoryConfiguration("test-sdk-key", "test-app", StoryEnvironment::production,
                                                    std::nullopt, std::nullopt, std::nullopt, strings));
  }

  void qmlEngineAvailable(QQmlEngine* engine) {
    engine->rootContext()->setContextProperty(QStringLiteral("fixture"), fixture_.get());
    engine->rootContext()->setContextProperty(QStringLiteral("translations"), &translations_);
  }

 private:
  QTemporaryDir settings_;
  std::shared_ptr<StoryViewFixture> fixture_;
  Translations translations_;
};

}  // namespace orvane::quick::testing

QUICK_TEST_MAIN_WITH_SETUP(translated_views, orvane::quick::testing::TranslatedViewsSetup)

#include "main.moc"
