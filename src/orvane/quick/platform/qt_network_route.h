#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QSslCertificate>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <orvane/platform/network_route.h>

class QNetworkProxy;
class QUrl;

namespace orvane::quick {

// Each request's route as the app's own Qt networking would take it: the proxy
// QNetworkProxyFactory::proxyForQuery gives for its URL (the application's proxy or proxy
// factory, or the system's when the app uses the system configuration), and the authorities the
// app added to QSslConfiguration::defaultConfiguration(), trusted beside the system's. Asked
// for every request, so a change the app makes applies to the next one. Safe from any thread.
class QtNetworkRoutes {
 public:
  QtNetworkRoutes();
  NetworkRoute operator()(const std::string& url);

 private:
  std::shared_ptr<const std::string> trustedAuthorities();

  std::mutex mutex_;
  // The system's authorities, read once the app adds one of its own.
  std::optional<QList<QSslCertificate>> system_;
  QSet<QByteArray> systemDigests_;
  QList<QByteArray> addedDigests_;
  std::shared_ptr<const std::string> authorities_;
};

// libcurl's name for a Qt proxy, e.g. "http://proxy.example:3128"; absent for one libcurl cannot
// take `url` through (an FTP proxy, a caching proxy for anything but http) or a malformed host.
std::optional<std::string> curlProxy(const QNetworkProxy& proxy, const QUrl& url);

}  // namespace orvane::quick
