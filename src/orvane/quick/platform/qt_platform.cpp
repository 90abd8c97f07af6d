#include <orvane/quick/platform/qt_platform.h>

#include <QDir>
#include <QStandardPaths>

#include <orvane/platform/system_platform.h>
#include <orvane/quick/platform/qsettings_store.h>
#include <orvane/quick/platform/qt_bundle_info.h>
#include <orvane/quick/platform/qt_console.h>
#include <orvane/quick/platform/qt_device_info.h>
#include <orvane/quick/platform/qt_font_catalog.h>
#include <orvane/quick/platform/qt_image_decoder.h>
#include <orvane/quick/platform/qt_locale_info.h>
#include <orvane/quick/platform/qt_main_queue.h>
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
void preferFFmpegMediaBackend() {
  if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "ffmpeg");
}

}  // namespace

Platform makeQtPlatform(const QtPlatformOptions& options) {
  preferFFmpegMediaBackend();
  Platform platform;
  platform.http = options.http;
  platform.serviceOrigin = options.serviceOrigin;
  platform.cacheDirectory = cacheDirectoryOf(options);
  platform.console = std::make_shared<QtConsole>();
  platform.mainQueue = std::make_shared<QtMainQueue>();
  platform.store = options.settingsFile.isEmpty()
                       ? std::make_shared<QSettingsStore>(platform.console)
                       : std::make_shared<QSettingsStore>(options.settingsFile, platform.console);
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
