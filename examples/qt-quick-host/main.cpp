// qt-quick-host [--grab FILE]: FILE gets the first frame showing the bar and a banner.
#include <QtQml/qqmlextensionplugin.h>
#include <QGuiApplication>
#include <QQmlApplicationEngine>

#include <orvane/quick/i18n/story_translations.h>
#include <orvane/quick/platform/qt_platform.h>

Q_IMPORT_QML_PLUGIN(OrvaneStoriesPlugin)

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  QGuiApplication::setOrganizationDomain(QStringLiteral("example.com"));  // names its settings
  orvane::quick::QtPlatformOptions platform;
  // One's own deployment of the content service; unset, the SDK talks to the service itself.
  if (qEnvironmentVariableIsSet("ORVANE_SERVICE_ORIGIN"))
    platform.serviceOrigin = qEnvironmentVariable("ORVANE_SERVICE_ORIGIN").toStdString();
  // Before any QML: the platform the SDK is built on. Main.qml configures the SDK.
  orvane::quick::installQtPlatform(platform);
  orvane::quick::loadStoryTranslations();  // the views' texts in the user's language, if built in

  QQmlApplicationEngine engine;
  if (app.arguments().size() == 3) engine.setInitialProperties({{"grabTo", app.arguments().at(2)}});
  engine.load(QUrl(QStringLiteral("qrc:/Host/Main.qml")));
  return engine.rootObjects().isEmpty() ? 1 : QGuiApplication::exec();
}
