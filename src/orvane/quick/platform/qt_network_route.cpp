#include <orvane/quick/platform/qt_network_route.h>

#include <orvane/quick/platform/qt_application_gate.h>

#include <QCryptographicHash>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QUrl>
#include <algorithm>

namespace orvane::quick {
namespace {

// A host name or address as it may stand in a proxy URL: nothing that could end the authority
// or carry user info.
bool isPlainHost(const QString& host) {
  return !host.isEmpty() && std::all_of(host.begin(), host.end(), [](QChar c) {
    return c.isLetterOrNumber() || c == u'.' || c == u'-' || c == u'_' || c == u':';
  });
}

QByteArray digestOf(const QSslCertificate& certificate) { return certificate.digest(QCryptographicHash::Sha256); }

}  // namespace

std::optional<std::string> curlProxy(const QNetworkProxy& proxy, const QUrl& url) {
  QString scheme;
  switch (proxy.type()) {
    case QNetworkProxy::HttpProxy:
      scheme = QStringLiteral("http");
      break;
    case QNetworkProxy::HttpCachingProxy:
      // It cannot tunnel, so Qt sends only plain http through it.
      if (url.scheme() != u"http") return std::nullopt;
      scheme = QStringLiteral("http");
      break;
    case QNetworkProxy::Socks5Proxy:
      // The proxy resolves the name, as Qt lets it.
      scheme = QStringLiteral("socks5h");
      break;
    default:
      return std::nullopt;
  }
  const QString host = proxy.hostName();
  if (!isPlainHost(host) || proxy.port() == 0) return std::nullopt;
  const QString authority = host.contains(u':') ? u'[' + host + u']' : host;
  return (scheme + QStringLiteral("://") + authority + u':' + QString::number(proxy.port())).toStdString();
}

QtNetworkRoutes::QtNetworkRoutes() { QtApplicationGate::open(); }

NetworkRoute QtNetworkRoutes::operator()(const std::string& url) {
  NetworkRoute route;
  // Once the application object is gone (requests still in flight as the app quits), Qt's proxy
  // and TLS configuration go with it: libcurl's own choice then.
  const auto qtAlive = QtApplicationGate::enter();
  if (!qtAlive) return route;
  route.trustedAuthorities = trustedAuthorities();
  const QUrl target(QString::fromStdString(url));
  for (const auto& proxy : QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(target))) {
    if (proxy.type() == QNetworkProxy::NoProxy) {
      route.proxy = std::string();
      return route;
    }
    if (proxy.type() == QNetworkProxy::DefaultProxy) return route;
    if (auto curl = curlProxy(proxy, target)) {
      route.proxy = std::move(curl);
      route.proxyUser = proxy.user().toStdString();
      route.proxyPassword = proxy.password().toStdString();
      return route;
    }
  }
  // None of Qt's proxies can carry it: libcurl's own choice.
  return route;
}

std::shared_ptr<const std::string> QtNetworkRoutes::trustedAuthorities() {
  const QList<QSslCertificate> configured = QSslConfiguration::defaultConfiguration().caCertificates();
  if (configured.isEmpty()) return nullptr;
  std::lock_guard lock(mutex_);
  if (!system_) {
    system_ = QSslConfiguration::systemCaCertificates();
    for (const auto& certificate : *system_) systemDigests_.insert(digestOf(certificate));
  }
  QList<QSslCertificate> added;
  QList<QByteArray> addedDigests;
  for (const auto& certificate : configured) {
    QByteArray digest = digestOf(certificate);
    if (systemDigests_.contains(digest)) continue;
    added.append(certificate);
    addedDigests.append(std::move(digest));
  }
  if (added.isEmpty()) return nullptr;
  if (addedDigests == addedDigests_) return authorities_;
  // The system's stay trusted: the bundle replaces libcurl's default one.
  QByteArray pem;
  for (const auto& certificate : added) pem += certificate.toPem();
  for (const auto& certificate : *system_) pem += certificate.toPem();
  addedDigests_ = std::move(addedDigests);
  authorities_ = std::make_shared<const std::string>(pem.toStdString());
  return authorities_;
}

}  // namespace orvane::quick
