// The Qt platform's transport goes the way the app's own Qt networking would: through the proxy
// Qt gives for each URL, trusting the authorities the app added beside the system's.
#include <gtest/gtest.h>

#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <future>
#include <memory>
#include <openssl/pem.h>

#include <orvane/platform/system_platform.h>
#include <orvane/quick/platform/qt_network_route.h>
#include <orvane/quick/platform/qt_platform.h>
#include "local_proxy.h"
#include "platform/local_http_server.h"
#include "platform/self_signed_certificate.h"

namespace orvane::quick {
namespace {

using orvane::testing::LocalHttpServer;
using orvane::testing::LocalProxy;
using orvane::testing::SelfSignedCertificate;

HttpResult fetch(HttpSession& session, const std::string& url) {
  HttpRequest request{*Url::parse(url), "GET", {}, std::nullopt, std::chrono::seconds(10), std::nullopt};
  std::promise<HttpResult> outcome;
  session.send(std::move(request), [&](HttpResult result) { outcome.set_value(std::move(result)); });
  return outcome.get_future().get();
}

QSslCertificate qtCertificate(const SelfSignedCertificate& certificate) {
  BIO* memory = BIO_new(BIO_s_mem());
  PEM_write_bio_X509(memory, certificate.certificate());
  char* bytes = nullptr;
  const long length = BIO_get_mem_data(memory, &bytes);
  QSslCertificate converted(QByteArray(bytes, static_cast<qsizetype>(length)), QSsl::Pem);
  BIO_free(memory);
  return converted;
}

// Puts the app's networking back as it was, whatever a test set.
class QtNetworkTest : public ::testing::Test {
 protected:
  QtNetworkTest() : ssl_(QSslConfiguration::defaultConfiguration()) {}
  ~QtNetworkTest() override {
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::DefaultProxy));
    QNetworkProxyFactory::setUseSystemConfiguration(false);
    QSslConfiguration::setDefaultConfiguration(ssl_);
  }

  std::shared_ptr<HttpSession> transport() {
    QtPlatformOptions options;
    options.dataDirectory = data_.path();
    return withHeadlessDefaults(makeQtPlatform(options)).http;
  }

  static void trust(const SelfSignedCertificate& certificate) {
    auto configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificate(qtCertificate(certificate));
    QSslConfiguration::setDefaultConfiguration(configuration);
  }

 private:
  QSslConfiguration ssl_;
  QTemporaryDir data_;
};

// A name that resolves nowhere: only a proxy can reach it.
constexpr const char* kHost = "stories.example";

TEST_F(QtNetworkTest, RequestsGoThroughTheApplicationProxyWithItsCredentialsNeverShown) {
  SelfSignedCertificate certificate(std::string("DNS:") + kHost);
  LocalHttpServer server(std::make_unique<httplib::SSLServer>(certificate.certificate(), certificate.key()));
  server.routes().Get("/hello", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("hello", "text/plain");
  });
  server.start();
  LocalProxy proxy("reader:pass word");
  const std::string target = std::string(kHost) + ":" + std::to_string(server.port());
  trust(certificate);

  QNetworkProxy::setApplicationProxy(
      QNetworkProxy(QNetworkProxy::HttpProxy, "127.0.0.1", static_cast<quint16>(proxy.port()), "reader", "pass word"));
  auto through = fetch(*transport(), "https://" + target + "/hello");
  ASSERT_FALSE(through.error) << through.error->message;
  EXPECT_EQ(through.data, "hello");
  ASSERT_FALSE(proxy.requestLines().empty());
  EXPECT_EQ(proxy.requestLines().back(), "CONNECT " + target + " HTTP/1.1");
  EXPECT_EQ(proxy.credentialsSeen().back(), "reader:pass word");

  QNetworkProxy::setApplicationProxy(
      QNetworkProxy(QNetworkProxy::HttpProxy, "127.0.0.1", static_cast<quint16>(proxy.port()), "reader", "wrong secret"));
  auto refused = fetch(*transport(), "https://" + target + "/hello");
  ASSERT_TRUE(refused.error);
  EXPECT_EQ(refused.error->message.find("wrong secret"), std::string::npos) << refused.error->message;
  EXPECT_EQ(refused.error->message.find("reader"), std::string::npos) << refused.error->message;

  // Plain http goes to the proxy in absolute form.
  QNetworkProxy::setApplicationProxy(
      QNetworkProxy(QNetworkProxy::HttpProxy, "127.0.0.1", static_cast<quint16>(proxy.port()), "reader", "pass word"));
  auto plain = fetch(*transport(), "http://" + std::string(kHost) + "/page?x=1");
  ASSERT_FALSE(plain.error) << plain.error->message;
  EXPECT_EQ(plain.data, "proxied /page?x=1");
}

TEST_F(QtNetworkTest, AnAuthorityTheAppAddedIsTrustedAndVerificationStaysOn) {
  SelfSignedCertificate certificate("IP:127.0.0.1");
  LocalHttpServer server(std::make_unique<httplib::SSLServer>(certificate.certificate(), certificate.key()));
  server.routes().Get("/hello", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("hello", "text/plain");
  });
  server.start();
  const std::string url = server.origin("https") + "/hello";

  auto untrusted = fetch(*transport(), url);
  ASSERT_TRUE(untrusted.error);
  EXPECT_EQ(untrusted.error->code, TransportError::Code::tls);

  trust(certificate);
  auto trusted = fetch(*transport(), url);
  ASSERT_FALSE(trusted.error) << trusted.error->message;
  EXPECT_EQ(trusted.data, "hello");

  // Another authority's certificate for the same name is still refused.
  SelfSignedCertificate impostor("IP:127.0.0.1");
  LocalHttpServer other(std::make_unique<httplib::SSLServer>(impostor.certificate(), impostor.key()));
  other.routes().Get("/hello", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("hello", "text/plain");
  });
  other.start();
  auto refused = fetch(*transport(), other.origin("https") + "/hello");
  ASSERT_TRUE(refused.error);
  EXPECT_EQ(refused.error->code, TransportError::Code::tls);
}

TEST_F(QtNetworkTest, TheSystemProxyIsTakenWhenTheAppUsesTheSystemConfigurationAndLoopbackGoesDirect) {
  const QByteArray environment = qgetenv("http_proxy");
  qputenv("http_proxy", "http://127.0.0.1:3128");
  QtNetworkRoutes routes;
  // As Qt itself would go, libcurl too goes straight there, the variable notwithstanding.
  QNetworkProxyFactory::setUseSystemConfiguration(false);
  EXPECT_EQ(routes("http://stories.example/a").proxy, "");
  QNetworkProxyFactory::setUseSystemConfiguration(true);
  EXPECT_EQ(routes("http://stories.example/a").proxy, "http://127.0.0.1:3128");
  EXPECT_EQ(routes("http://127.0.0.1:8080/a").proxy, "");
  qputenv("http_proxy", environment);
}

TEST(QtNetworkRoute, ProxiesLibcurlCannotUseOrWithOddHostsAreLeftOut) {
  const QUrl https("https://stories.example/"), http("http://stories.example/");
  EXPECT_EQ(curlProxy(QNetworkProxy(QNetworkProxy::Socks5Proxy, "proxy.example", 1080), https),
            "socks5h://proxy.example:1080");
  EXPECT_EQ(curlProxy(QNetworkProxy(QNetworkProxy::HttpProxy, "::1", 3128), https), "http://[::1]:3128");
  EXPECT_EQ(curlProxy(QNetworkProxy(QNetworkProxy::HttpCachingProxy, "cache.example", 80), http),
            "http://cache.example:80");
  EXPECT_EQ(curlProxy(QNetworkProxy(QNetworkProxy::HttpCachingProxy, "cache.example", 80), https), std::nullopt);
  EXPECT_EQ(curlProxy(QNetworkProxy(QNetworkProxy::FtpCachingProxy, "ftp.example", 21), http), std::nullopt);
  EXPECT_EQ(curlProxy(QNetworkProxy(QNetworkProxy::HttpProxy, "user@evil.example", 3128), https), std::nullopt);
  EXPECT_EQ(curlProxy(QNetworkProxy(QNetworkProxy::HttpProxy, "evil.example/x", 3128), https), std::nullopt);
  EXPECT_EQ(curlProxy(QNetworkProxy(QNetworkProxy::HttpProxy, "proxy.example", 0), https), std::nullopt);
}

TEST_F(QtNetworkTest, TheSystemsAuthoritiesStayBesideTheOnesTheAppAdded) {
  QtNetworkRoutes routes;
  EXPECT_EQ(routes("https://stories.example/").trustedAuthorities, nullptr);

  SelfSignedCertificate certificate("DNS:stories.example");
  trust(certificate);
  const auto authorities = routes("https://stories.example/").trustedAuthorities;
  ASSERT_NE(authorities, nullptr);
  EXPECT_NE(authorities->find(qtCertificate(certificate).toPem().toStdString()), std::string::npos);
  const auto system = QSslConfiguration::systemCaCertificates();
  if (!system.isEmpty()) {
    EXPECT_NE(authorities->find(system.front().toPem().toStdString()), std::string::npos);
  }
  EXPECT_EQ(routes("https://stories.example/").trustedAuthorities, authorities);  // made once
}

}  // namespace
}  // namespace orvane::quick
