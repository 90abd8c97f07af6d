#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

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
};

// The Qt implementations of every platform service Qt does better than the headless defaults:
// GUI-thread main queue, QSettings, QLocale, QImageReader, QDesktopServices, QFontDatabase,
// QCoreApplication's identity and a per-installation device id. Call on the GUI thread after the
// QGuiApplication exists.
Platform makeQtPlatform(const QtPlatformOptions& options = {});

// Installs makeQtPlatform(options) as Platform::current(); call before the SDK is first used.
void installQtPlatform(const QtPlatformOptions& options = {});

}  // namespace orvane::quick
