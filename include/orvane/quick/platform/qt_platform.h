#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <orvane/platform/platform.h>

namespace orvane::quick {

struct QtPlatformOptions {
  // INI file for the SDK's keys and the device identifier (votes go beside it, into
  // "<file>.orvane-votes"); empty: the application's QSettings.
  QString settingsFile;
  // Replaces the identifier derived from the organisation domain and application name.
  std::optional<std::string> bundleIdentifier;
  // The transport; unset: the core's default.
  std::shared_ptr<HttpSession> http;
  // Schemes that links from the content may open besides https, http, mailto and tel, such as
  // the app's own deep-link scheme ("myapp"). Links of any other scheme are refused.
  std::vector<std::string> linkSchemes;
  // Where the SDK's requests go instead of the service's fixed origin, e.g. one's own deployment
  // of the content service ("https://stories.example.com"). Applies to the default transport.
  std::optional<std::string> serviceOrigin;
  // Where downloaded media and the last answers are kept across restarts; empty: "orvane-stories"
  // in the application's QStandardPaths::CacheLocation.
  QString cacheDirectory;
};

// The Qt implementations of every platform service Qt does better than the headless defaults:
// GUI-thread main queue, QSettings, QLocale, QImageReader, QDesktopServices, QFontDatabase,
// QCoreApplication's identity, a per-installation device id, and log lines in the logging category
// "orvane.stories". Call on the GUI thread after the QGuiApplication exists.
//
// Unless the host chose a media backend (QT_MEDIA_BACKEND), video pages play through Qt's FFmpeg
// backend: Debian's Qt defaults to GStreamer, which crashes when its plugins are missing.
Platform makeQtPlatform(const QtPlatformOptions& options = {});

// Installs makeQtPlatform(options) as Platform::current(); call before the SDK is first used.
void installQtPlatform(const QtPlatformOptions& options = {});

}  // namespace orvane::quick
