#include <orvane/quick/platform/qt_platform.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <orvane/platform/system_platform.h>
#include <orvane/quick/platform/qsettings_store.h>
#include <orvane/quick/platform/qt_bundle_info.h>
#include <orvane/quick/platform/qt_console.h>
#include <orvane/quick/platform/qt_device_info.h>
#include <orvane/quick/platform/qt_font_catalog.h>
#include <orvane/quick/platform/qt_locale_info.h>
#include <orvane/quick/platform/qt_main_queue.h>
#include "support/fake_platform.h"

namespace orvane::quick {
namespace {

void setApplicationIdentity(const QString& domain, const QString& name, const QString& version) {
  QCoreApplication::setOrganizationDomain(domain);
  QCoreApplication::setApplicationName(name);
  QCoreApplication::setApplicationVersion(version);
}

TEST(QtBundleInfo, IdentifierIsTheReversedDomainWithTheApplicationName) {
  const QString domain = QCoreApplication::organizationDomain(), name = QCoreApplication::applicationName(),
                version = QCoreApplication::applicationVersion();
  setApplicationIdentity("stories.example.com", "Story Demo", "2.4.0");
  EXPECT_EQ(QtBundleInfo().bundleIdentifier(), "com.example.stories.Story-Demo");
  EXPECT_EQ(QtBundleInfo().shortVersionString(), "2.4.0");
  EXPECT_EQ(QtBundleInfo("io.orvane.host").bundleIdentifier(), "io.orvane.host");
  setApplicationIdentity("", "Demo", "");
  EXPECT_EQ(QtBundleInfo().bundleIdentifier(), std::nullopt);
  EXPECT_EQ(QtBundleInfo().shortVersionString(), std::nullopt);
  setApplicationIdentity(domain, name, version);

  EXPECT_EQ(reverseDomainIdentifier(".example..com.", "App"), "com.example.App");
  EXPECT_EQ(reverseDomainIdentifier("example.com", ""), "com.example");
  EXPECT_EQ(reverseDomainIdentifier("", "App"), std::nullopt);
  EXPECT_EQ(reverseDomainIdentifier("...", "App"), std::nullopt);
}

TEST(QtDeviceInfo, IdentifierIsPersistedUpperCasedAndReplacedWhenGarbage) {
  auto store = std::make_shared<MemoryStore>();
  auto uuids = std::make_shared<orvane::testing::SequentialUuidSource>();
  const std::string made = "00000000-0000-4000-8000-000000000001";
  EXPECT_EQ(QtDeviceInfo(store, uuids).identifierForVendor(), made);
  EXPECT_EQ(QtDeviceInfo(store, uuids).identifierForVendor(), made);
  EXPECT_EQ(store->string("orvane_device_identifier"), made);

  store->set("orvane_device_identifier", "abcdef01-2345-4678-89ab-cdef01234567");
  EXPECT_EQ(QtDeviceInfo(store, uuids).identifierForVendor(), "ABCDEF01-2345-4678-89AB-CDEF01234567");
  store->set("orvane_device_identifier", "not-a-uuid");
  EXPECT_EQ(QtDeviceInfo(store, uuids).identifierForVendor(), "00000000-0000-4000-8000-000000000002");
  EXPECT_EQ(store->string("orvane_device_identifier"), "00000000-0000-4000-8000-000000000002");
}

TEST(QtLocaleInfo, IdentifierAndRegionComeFromTheLocale) {
  EXPECT_EQ(QtLocaleInfo(QLocale("de_AT")).identifier(), "de_AT");
  EXPECT_EQ(QtLocaleInfo(QLocale("de_AT")).regionCode(), "AT");
  EXPECT_EQ(QtLocaleInfo(QLocale("es_419")).regionCode(), "419");
  EXPECT_EQ(QtLocaleInfo(QLocale::c()).identifier(), "en_US_POSIX");
  EXPECT_EQ(QtLocaleInfo(QLocale::c()).regionCode(), "US");
}

TEST(QtFontCatalog, KnowsInstalledFamiliesOnly) {
  QtFontCatalog fonts;
  EXPECT_FALSE(fonts.hasFont("No Such Family 7f3a", 14));
  auto families = QFontDatabase::families();
  if (families.isEmpty()) GTEST_SKIP() << "no fonts installed";
  auto family = families.first().toStdString();
  EXPECT_TRUE(fonts.hasFont(family, 14));
  EXPECT_FALSE(fonts.hasFont(family, -1));
}

TEST(QtPlatform, KeepsTheSdkKeysAndTheDeviceIdInTheChosenFolder) {
  QTemporaryDir directory;
  QtPlatformOptions options;
  options.dataDirectory = directory.path();
  options.bundleIdentifier = "io.orvane.host";
  auto platform = makeQtPlatform(options);

  EXPECT_NE(dynamic_cast<QtMainQueue*>(platform.mainQueue.get()), nullptr);
  EXPECT_EQ(platform.bundle->bundleIdentifier(), "io.orvane.host");
  platform.store->set("zephro_anonymous_user_id", "A");
  auto device = platform.device->identifierForVendor();
  ASSERT_TRUE(device);

  QSettingsStore reopened(options.dataDirectory);
  EXPECT_EQ(reopened.string("zephro_anonymous_user_id"), "A");
  EXPECT_EQ(reopened.string("orvane_device_identifier"), device);
}

TEST(QtPlatform, KeepsItsCacheInTheApplicationsCacheLocationOrTheChosenFolder) {
  const QString location = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
  ASSERT_FALSE(location.isEmpty());
  EXPECT_EQ(makeQtPlatform().cacheDirectory, QDir(location).filePath("orvane-stories").toStdString());
  QTemporaryDir directory;
  QtPlatformOptions options;
  options.cacheDirectory = directory.path();
  EXPECT_EQ(makeQtPlatform(options).cacheDirectory, QDir(directory.path()).absolutePath().toStdString());
}

// The media backend is the whole process's: the SDK names one only when asked, and never over
// the host's own choice.
TEST(QtPlatform, LeavesTheMediaBackendAloneUnlessAsked) {
  QTemporaryDir directory;
  QtPlatformOptions options;
  options.dataDirectory = directory.path();
  const QByteArray chosen = qgetenv("QT_MEDIA_BACKEND");
  qunsetenv("QT_MEDIA_BACKEND");
  makeQtPlatform(options);
  EXPECT_FALSE(qEnvironmentVariableIsSet("QT_MEDIA_BACKEND"));

  options.mediaBackend = "ffmpeg";
  makeQtPlatform(options);
  EXPECT_EQ(qgetenv("QT_MEDIA_BACKEND"), "ffmpeg");
  qputenv("QT_MEDIA_BACKEND", "gstreamer");
  makeQtPlatform(options);
  EXPECT_EQ(qgetenv("QT_MEDIA_BACKEND"), "gstreamer");
  qputenv("QT_MEDIA_BACKEND", chosen);
}

// The SDK's files live in its own folder of the app's data location; the host's settings file
// and the folder beside it are the host's.
TEST(QtPlatform, WritesNothingIntoOrBesideTheHostsSettings) {
  QTemporaryDir data, config;
  const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
  const QString hostSettings = config.filePath("host.ini");
  QSettings(hostSettings, QSettings::IniFormat).setValue("theme", "dark");
  const QByteArray before = [&] {
    QFile file(hostSettings);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }();

  QtPlatformOptions options;
  options.settingsFile = hostSettings;
  const auto platform = makeQtPlatform(options);
  platform.store->set("orvane_widget_vote:app:user:item", "option");
  platform.store->set("orvane_seen_story_groups", "group");
  ASSERT_TRUE(platform.device->identifierForVendor());
  qputenv("XDG_DATA_HOME", dataHome);

  EXPECT_EQ(QDir(config.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{"host.ini"});
  QFile after(hostSettings);
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), before);
  EXPECT_FALSE(QDir(data.path()).isEmpty());
}

QStringList capturedLines;
void captureLine(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  capturedLines << QString::number(type) + " " + context.category + " " + message;
}

TEST(QtPlatform, LogLinesGoToTheStoriesLoggingCategoryAndTheServiceOriginToTheCore) {
  QTemporaryDir directory;
  QtPlatformOptions options;
  options.dataDirectory = directory.path();
  options.serviceOrigin = "http://127.0.0.1:8080";
  const Platform platform = makeQtPlatform(options);
  EXPECT_EQ(platform.serviceOrigin, "http://127.0.0.1:8080");

  capturedLines.clear();
  const auto previous = qInstallMessageHandler(captureLine);
  platform.console->writeLine("[Orvane] Failed to load stories for placement 'home': 401");
  qInstallMessageHandler(previous);
  EXPECT_EQ(capturedLines,
            QStringList{QString::number(QtWarningMsg) +
                        " orvane.stories [Orvane] Failed to load stories for placement 'home': 401"});
}

}  // namespace
}  // namespace orvane::quick
