#include <orvane/quick/platform/qt_platform.h>

#include <QDir>
#include <QStandardPaths>

#include <orvane/platform/curl_http_session.h>
#include <orvane/platform/service_origin.h>
#include <orvane/platform/system_platform.h>
#include <orvane/quick/platform/qsettings_store.h>
#include <orvane/quick/platform/qt_bundle_info.h>
#include <orvane/quick/platform/qt_console.h>
#include <orvane/quick/platform/qt_device_info.h>
#include <orvane/quick/platform/qt_font_catalog.h>
#include <orvane/quick/platform/qt_image_decoder.h>
#include <orvane/quick/platform/qt_locale_info.h>
#include <orvane/quick/platform/qt_main_queue.h>
#include <orvane/quick/platform/qt_network_route.h>
#include <orvane/quick/platform/qt_url_opener.h>

namespace orvane::quick {
namespace {

// Empty when the system names no cache location: then nothing is kept on disk.
std::string cacheDirectoryOf(const QtPlatformOptions& options) {
  if (!options.cacheDirectory.isEmpty()) return QDir(options.cacheDirectory).absolutePath().toStdString();
  const QString location = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
  if (location.isEmpty()) return {};
  return QDir(location).filePath(QStringLiteral("orvane-stories")).toStdString();
}

// Read when the first media player is created, so this precedes any story page.
void chooseMediaBackend(const QByteArray& backend) {
  if (!backend.isEmpty() && qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", backend);
}

// The core's transport, routed as the app's Qt networking is.
std::shared_ptr<HttpSession> qtRoutedSession(const std::optional<std::string>& serviceOrigin) {
  CurlHttpSession::Options options;
  if (serviceOrigin) options.originOverrides[std::string(kServiceOrigin)] = *serviceOrigin;
  options.route = [routes = std::make_shared<QtNetworkRoutes>()](const std::string& url) { return (*routes)(url); };
  return std::make_shared<CurlHttpSession>(std::move(options));
}

QString dataDirectoryOf(const QtPlatformOptions& options) {
  if (!options.dataDirectory.isEmpty()) return options.dataDirectory;
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/OrvaneStories");
}

}  // namespace

Platform makeQtPlatform(const QtPlatformOptions& options) {
  chooseMediaBackend(options.mediaBackend);
  Platform platform;
  platform.http = options.http ? options.http : qtRoutedSession(options.serviceOrigin);
  platform.serviceOrigin = options.serviceOrigin;
  platform.cacheDirectory = cacheDirectoryOf(options);
  platform.console = std::make_shared<QtConsole>();
  platform.mainQueue = std::make_shared<QtMainQueue>();
  platform.store = std::make_shared<QSettingsStore>(
      dataDirectoryOf(options), platform.console,
      EarlierSettings(options.settingsFile.isEmpty() ? std::nullopt : std::optional(options.settingsFile)));
  platform.uuid = std::make_shared<RandomUuidSource>();
  platform.locale = std::make_shared<QtLocaleInfo>();
  platform.device = std::make_shared<QtDeviceInfo>(platform.store, platform.uuid);
  platform.bundle = options.bundleIdentifier ? std::make_shared<QtBundleInfo>(*options.bundleIdentifier)
                                             : std::make_shared<QtBundleInfo>();
  platform.imageDecoder = std::make_shared<QtImageDecoder>();
  platform.urlOpener = std::make_shared<QtUrlOpener>(options.linkSchemes);
  platform.fonts = std::make_shared<QtFontCatalog>();
  return platform;
}

void installQtPlatform(const QtPlatformOptions& options) { Platform::install(makeQtPlatform(options)); }

}  // namespace orvane::quick
