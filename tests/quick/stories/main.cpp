// Qt Quick Test runner of the story views: every tst_*.qml here, offscreen, on the Qt platform
// with the fixture transport and a recording link opener, against a configured shared SDK.
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest/quicktest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTemporaryDir>

#include "core/story_sdk.h"
#include "fixture_http_session.h"
#include "quick/platform/qt_platform.h"
#include "story_view_fixture.h"

Q_IMPORT_QML_PLUGIN(OrvaneStoriesPlugin)

namespace orvane::quick::testing {
namespace {

QByteArray fixtureFile(const char* name) {
  QFile file(QStringLiteral(STORY_FIXTURES_DIR "/") + QString::fromLatin1(name));
  if (!file.open(QIODevice::ReadOnly)) qFatal("missing fixture %s", name);
  return file.readAll();
}

QByteArray pngBytes() {
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(QColor(200, 40, 40));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

class RecordingUrlOpener final : public UrlOpener {
 public:
  explicit RecordingUrlOpener(StoryViewFixture* fixture) : fixture_(fixture) {}
  void open(const Url& url) override {
    QMetaObject::invokeMethod(fixture_, [fixture = fixture_, text = QString::fromStdString(url.string())] {
      fixture->recordOpened(text);
    });
  }

 private:
  StoryViewFixture* fixture_;
};

QString eventName(const StorySDKEvent& event) {
  switch (event.kind()) {
    case StorySDKEvent::Kind::storyGroupImpression:
      return QStringLiteral("impression");
    case StorySDKEvent::Kind::storyClose:
      return QStringLiteral("close");
    case StorySDKEvent::Kind::swipeUp:
      return QStringLiteral("swipeUp");
    case StorySDKEvent::Kind::pollVoted:
      return QStringLiteral("pollVoted");
    default:
      return {};
  }
}

}  // namespace

class StoryViewsSetup : public QObject {
  Q_OBJECT

 public slots:
  void applicationAvailable() {
    const QByteArray stories = fixtureFile("home.json");
    auto session = std::make_shared<FixtureHttpSession>(stories, pngBytes());
    fixture_ = new StoryViewFixture(session, stories);

    QtPlatformOptions options;
    options.settingsFile = settings_.filePath(QStringLiteral("settings.ini"));
    options.http = session;
    Platform platform = makeQtPlatform(options);
    platform.urlOpener = std::make_shared<RecordingUrlOpener>(fixture_);
    Platform::install(platform);

    auto& sdk = StorySDK::shared();
    sdk.setEventHandler([fixture = fixture_](const StorySDKEvent& event) {
      const QString name = eventName(event);
      if (!name.isEmpty())
        fixture->recordEvent(name + ':' + QString::fromStdString(event.groupId().value_or("")));
    });
    // Texts of the host's own, so the views show that they take the configured ones.
    const StoryUIStrings strings("Poll time", "Quiz time", "POLL", "QUIZ", "SWIPE", "Swipe up for more",
                                 "vote", "votes", "answer", "answers");
    sdk.configure(StoryConfiguration("test-sdk-key", "test-app", StoryEnvironment::production, std::nullopt,
                                     std::nullopt, std::nullopt, strings));
  }

  void qmlEngineAvailable(QQmlEngine* engine) {
    engine->rootContext()->setContextProperty(QStringLiteral("fixture"), fixture_);
  }

 private:
  QTemporaryDir settings_;
  StoryViewFixture* fixture_ = nullptr;
};

}  // namespace orvane::quick::testing

QUICK_TEST_MAIN_WITH_SETUP(story_views, orvane::quick::testing::StoryViewsSetup)

#include "main.moc"
