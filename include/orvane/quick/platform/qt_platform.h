#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <orvane/platform/platform.h>

// The Qt Quick binding's C++ side: installing the Qt platform.
namespace orvane::quick {

// How the Qt platform is made; every member has a default that suits most apps.
//
// \code
// orvane::quick::QtPlatformOptions options;
// options.linkSchemes = {"myapp"};
// options.mediaBackend = "ffmpeg";
// orvane::quick::installQtPlatform(options);
// \endcode
struct QtPlatformOptions {
  // Folder of the SDK's own files: its settings (the anonymous and device ids, the groups seen)
  // and the user's votes. Empty: "OrvaneStories" in the app's QStandardPaths::AppDataLocation.
  QString dataDirectory;
  // Where versions before 1.1 kept those: the INI file the host named then (votes beside it, in
  // "<file>.orvane-votes"); empty: the application's QSettings. What they wrote there is moved
  // into dataDirectory on the first start and then taken out; the host's own keys stay as they
  // are, and nothing is written there.
  QString settingsFile;
  // A Qt Multimedia backend for the whole process ("ffmpeg": Debian's default, GStreamer, crashes
  // when its plugins are missing), set as QT_MEDIA_BACKEND unless the environment names one
  // already. Empty: the process's choice is left alone.
  QByteArray mediaBackend;
  // Replaces the identifier derived from the organisation domain and application name.
  std::optional<std::string> bundleIdentifier;
  // The transport; unset: the core's, sending each request the way the app's Qt networking
  // would: through the proxy QNetworkProxyFactory gives for its URL (the application proxy, or
  // the system's when the app uses the system configuration), trusting the authorities added to
  // QSslConfiguration::defaultConfiguration() beside the system's.
  std::shared_ptr<HttpSession> http;
  // Schemes that links from the content may open besides https, http, mailto and tel, such as
  // the app's own deep-link scheme ("myapp"). Links of any other scheme are refused.
  std::vector<std::string> linkSchemes;
  // Where the SDK's requests go instead of the service's fixed origin, e.g. one's own deployment
  // of the content service ("https://stories.example.com"). Applies to the SDK's own transport.
  std::optional<std::string> serviceOrigin;
  // Where downloaded media and the last answers are kept across restarts; empty: "orvane-stories"
  // in the application's QStandardPaths::CacheLocation.
  QString cacheDirectory;
};

// The Qt implementations of every platform service Qt does better than the headless defaults:
// GUI-thread main queue, QSettings, QLocale, QImageReader, QDesktopServices, QFontDatabase,
// QCoreApplication's identity, a per-installation device id, and log lines in the logging category
// "orvane.stories". Call on the GUI thread after the QGuiApplication exists.
Platform makeQtPlatform(const QtPlatformOptions& options = {});

// Installs makeQtPlatform(options) as Platform::current(); call before the SDK is first used.
void installQtPlatform(const QtPlatformOptions& options = {});

}  // namespace orvane::quick
